#pragma once
// Checks that a window's texts can be read whole: each text inside its box, none under another
// control, none over another text. Also a desktop font set for the life of an object.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <string>
#include <vector>

#include "ui/caption_button.h"

namespace testing_support {

// The application's font at `points`, in its own family, while the object lives. Windows made
// meanwhile take it as the desktop font.
class DesktopFont {
  public:
    explicit DesktopFont(int points) : saved_(QApplication::font()) {
        QFont font = saved_;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    ~DesktopFont() { QApplication::setFont(saved_); }
    DesktopFont(const DesktopFont&) = delete;
    DesktopFont& operator=(const DesktopFont&) = delete;

  private:
    QFont saved_;
};

struct TextPlace {
    QWidget* control;
    QRect box;   // where the text may go, in window coordinates
    QRect text;  // where it goes
};

inline std::string Describe(const QWidget* control, const QRect& r) {
    return control->objectName().toStdString() + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height()) + "+" + std::to_string(r.x()) + "+" + std::to_string(r.y());
}

// The text of a control and the room for it, in the control's coordinates; false for controls
// without text.
inline bool PlaceOfText(QWidget* control, QRect& box, QRect& text) {
    const QFontMetrics metrics = control->fontMetrics();
    QStyle* style = control->style();
    if (auto* button = qobject_cast<ui::CaptionButton*>(control)) {
        box = button->captionArea();
        text = metrics.boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, button->text());
    } else if (auto* option = qobject_cast<QAbstractButton*>(control)) {
        QStyleOptionButton styleOption;
        styleOption.initFrom(option);
        styleOption.text = option->text();
        const bool radio = qobject_cast<QRadioButton*>(option) != nullptr;
        box = style->subElementRect(
            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &styleOption,
            option);
        text = metrics.boundingRect(box, Qt::AlignLeft | Qt::AlignVCenter, option->text());
    } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        QStyleOptionGroupBox styleOption;
        styleOption.initFrom(frame);
        styleOption.text = frame->title();
        styleOption.lineWidth = 1;
        styleOption.textAlignment = frame->alignment();
        styleOption.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        box = frame->rect();
        text = style->subControlRect(QStyle::CC_GroupBox, &styleOption, QStyle::SC_GroupBoxLabel,
                                     frame);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        box = label->contentsRect();
        text = metrics.boundingRect(box, int(label->alignment()) | Qt::TextWordWrap, label->text());
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        const int frameWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        box = edit->rect().adjusted(frameWidth, frameWidth, -frameWidth, -frameWidth);
        text = metrics.boundingRect(box, Qt::AlignLeft | Qt::AlignVCenter,
                                    edit->text().isEmpty() ? QStringLiteral("Xg") : edit->text());
    } else {
        return false;
    }
    return true;
}

// What keeps a text of `window` from being read whole; empty when every text can be.
inline std::vector<std::string> TextsNotReadable(QWidget* window) {
    std::vector<TextPlace> places;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        QRect box, text;
        if (!control->isVisibleTo(window) || !PlaceOfText(control, box, text)) continue;
        const QPoint origin = control->mapTo(window, QPoint(0, 0));
        places.push_back({control, box.translated(origin), text.translated(origin)});
    }
    std::vector<std::string> problems;
    for (const TextPlace& a : places) {
        if (!a.box.contains(a.text))
            problems.push_back(Describe(a.control, a.text) + " is cut in " +
                               Describe(a.control, a.box));
        for (const TextPlace& b : places) {
            if (a.control == b.control) continue;
            // Labels are transparent: only their text can cover another.
            const QRect bArea = QRect(b.control->mapTo(window, QPoint(0, 0)), b.control->size());
            if (!qobject_cast<QLabel*>(b.control) && !b.control->isAncestorOf(a.control) &&
                a.text.intersects(bArea))
                problems.push_back(Describe(a.control, a.text) + " is under " +
                                   Describe(b.control, bArea));
            if (a.control < b.control && a.text.intersects(b.text))
                problems.push_back(Describe(a.control, a.text) + " overlaps the text " +
                                   Describe(b.control, b.text));
        }
    }
    return problems;
}

}  // namespace testing_support
