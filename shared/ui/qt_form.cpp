#include "ui/qt_form.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <stdexcept>

#include "ui/caption_button.h"
#include "ui/keyboard.h"
#include "ui/twips.h"

namespace ui {
namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* Make(const form::Control& control, QWidget* parent) {
    const QString text = Text(control.text);
    switch (control.kind) {
        case form::Kind::Button: {
            auto* button = new CaptionButton(text, parent);
            button->setAutoDefault(false);
            return button;
        }
        case form::Kind::Label: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setFocusPolicy(Qt::NoFocus);
            return label;
        }
        case form::Kind::Frame: return new QGroupBox(text, parent);
        case form::Kind::Option: {
            auto* option = new QRadioButton(text, parent);
            option->setChecked(control.chosen);
            return option;
        }
        case form::Kind::CheckBox: {
            auto* box = new QCheckBox(text, parent);
            box->setCheckState(control.chosen ? Qt::Checked : Qt::Unchecked);
            return box;
        }
        case form::Kind::TextBox: {
            auto* box = new QLineEdit(text, parent);
            KeepAltLettersFromTyping(box);
            return box;
        }
    }
    throw std::logic_error("unknown kind of control");
}

// Events by which a user works a window; a window busy with a run takes none of them.
bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove: return true;
        default: return false;
    }
}

}  // namespace

QtForm::QtForm(const form::Form& declaration, QWidget* parent)
    : QMainWindow(parent), declaration_(declaration) {
    setObjectName(Text(declaration.name));
    setWindowTitle(Text(declaration.title));
    if (!declaration.icon.empty()) {
        const QString icon = Text(declaration.icon);
        setWindowIcon(QIcon(QStringLiteral(":/%1/icons/%1-32.png").arg(icon)));
    }
    if (!declaration.menuName.empty()) {
        menu_ = menuBar()->addAction(Text(declaration.menuText));
        menu_->setObjectName(Text(declaration.menuName));
        menuKeys_ = new MenuBarKeys(this, menu_);
    }
    ShowFocusFromStart(this);

    const Twips twips(font());
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips.size(declaration.width, declaration.height));
    setCentralWidget(client);

    std::map<std::string_view, QButtonGroup*> groups;  // the options of each container
    QWidget* previous = nullptr;
    for (const form::Control& control : declaration.controls) {
        QWidget* parent = control.container.empty() ? client : existing(control.container);
        QWidget* widget = Make(control, parent);
        widget->setObjectName(Text(control.name));
        const form::Place& p = control.place;
        widget->setGeometry(twips.rect(p.left, p.top, p.width, p.height));
        // A label lies beneath the controls it may overlap, so that clicks reach them.
        if (control.kind == form::Kind::Label) widget->lower();
        if (control.kind == form::Kind::Option) {
            QButtonGroup*& group = groups[control.container];
            if (!group) {
                group = new QButtonGroup(this);
                group->setExclusive(true);
            }
            group->addButton(static_cast<QRadioButton*>(widget));
        }
        controls_.emplace(std::string(control.name), widget);
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }
    for (const form::Control& control : declaration.controls) {
        if (control.namedBy.empty()) continue;
        QWidget* named = existing(control.name);
        QWidget* by = existing(control.namedBy);
        if (auto* label = qobject_cast<QLabel*>(by)) {
            label->setBuddy(named);  // the control is labelled by it, and named after it
        } else {
            named->setAccessibleName(Text(declaration.find(control.namedBy)->text));
        }
    }

    // The controls stand where they are placed; nothing gains from another window size.
    setFixedSize(sizeHint());
    if (!declaration.controls.empty()) existing(declaration.controls.front().name)->setFocus();
    if (declaration.centred) centre();
}

QtForm::~QtForm() {
    if (runs_ > 0) QCoreApplication::instance()->removeEventFilter(this);
}

void QtForm::connectHandlers(const form::Handlers& handlers) {
    for (const form::Handler& handler : handlers) {
        auto click = handler.click;
        if (menu_ && menu_->objectName() == Text(handler.control)) {
            connect(menu_, &QAction::triggered, this,
                    [this, click] { menuKeys_->returningFocus(click); });
        } else if (auto* button = control<QAbstractButton>(handler.control)) {
            connect(button, &QAbstractButton::clicked, this, [click] { click(); });
        } else {
            throw std::logic_error("no button or menu entry named " + std::string(handler.control));
        }
    }
}

QWidget* QtForm::control(std::string_view name) const {
    const auto found = controls_.find(name);
    return found == controls_.end() ? nullptr : found->second.data();
}

QWidget* QtForm::existing(std::string_view name) const {
    QWidget* widget = control(name);
    if (!widget) throw std::logic_error("no control named " + std::string(name));
    return widget;
}

void QtForm::centre() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

bool QtForm::event(QEvent* event) {
    // The frame is known only after the window manager has framed the shown window; without a
    // window manager it never differs from the window, which the constructor has centred.
    if (declaration_.centred && !centredOnFrame_ && isVisible() &&
        frameGeometry().size() != size()) {
        centredOnFrame_ = true;
        centre();
    }
    return QMainWindow::event(event);
}

std::string QtForm::text(std::string_view name) const {
    QWidget* widget = existing(name);
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        text = button->text();
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        text = label->text();
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        text = box->text();
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        text = frame->title();
    }
    return text.toStdString();
}

void QtForm::setText(std::string_view name, std::string_view text) {
    QWidget* widget = existing(name);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(Text(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(Text(text));
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        box->setText(Text(text));
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        frame->setTitle(Text(text));
    }
}

bool QtForm::chosen(std::string_view name) const {
    QWidget* widget = existing(name);
    if (auto* box = qobject_cast<QCheckBox*>(widget)) return box->checkState() == Qt::Checked;
    if (auto* option = qobject_cast<QRadioButton*>(widget)) return option->isChecked();
    return false;
}

void QtForm::paintNow(std::string_view name) {
    existing(name)->repaint();
}

std::string QtForm::decimalMark() const {
    return locale().decimalPoint().toStdString();
}

void QtForm::runStarting() {
    // Every event passes the filter: the window's input is dropped, its close noted. (Serving
    // the window with user input excluded would also hold back the desktop's request to close.)
    if (runs_++ == 0) {
        closeRequested_ = false;
        QCoreApplication::instance()->installEventFilter(this);
    }
}

void QtForm::runEnded() {
    if (--runs_ == 0) QCoreApplication::instance()->removeEventFilter(this);
}

bool QtForm::serve() {
    QCoreApplication::processEvents();
    return !closeRequested_;
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::Close) {
        // The window stays until the run has stopped; then the program ends.
        closeRequested_ = true;
        event->ignore();
        return true;
    }
    // The controls take no input while the run goes on; a box the run shows does.
    if (IsInput(event->type()) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // Claiming a key for the focused control keeps it from reaching a shortcut (F1, Alt+H),
        // whose action would not pass this filter as a control.
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace ui
