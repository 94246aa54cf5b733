#pragma once
// A window declared as data: its name, title, client size, its one-entry menu and its controls,
// every place and size in twips. A builder of a toolkit turns a declaration into a window
// (ui::QtForm on Linux); the window's protocol (what its clicks do) talks to that window through
// form::View only, so that it is written once whatever the toolkit.

#include <string_view>
#include <vector>

namespace form {

enum class Kind {
    Button,    // a push button whose caption wraps inside it
    Label,     // plain text, wrapped, aligned top left
    Frame,     // a titled frame holding options
    Option,    // one of the options of its container: choosing one clears the others
    CheckBox,  // ticked or not
    TextBox,   // one line of text
};

// Left, top, width and height in twips, from the top left corner of the control's container.
struct Place {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Control {
    Kind kind = Kind::Label;
    // The control's name: the toolkit's object name, and how the protocol speaks of it.
    std::string_view name;
    // The caption, the label's text, or the text a text box starts with.
    std::string_view text;
    Place place;
    // The frame that holds the control; empty for the client area.
    std::string_view container = {};
    // An option chosen or a box ticked when the window opens.
    bool chosen = false;
    // The control whose text names this one for accessibility tools: a label (which then labels
    // it) or another control (whose caption becomes its name).
    std::string_view namedBy = {};
};

struct Form {
    // The window's object name and title.
    std::string_view name;
    std::string_view title;
    // The client area, in twips, below the menu bar.
    int width = 0;
    int height = 0;
    // The one entry of the menu bar (a command, no submenu), F1 choosing it; none when empty.
    std::string_view menuName = {};
    std::string_view menuText = {};
    // The program's icon, by the name its pictures are kept under.
    std::string_view icon = {};
    // Whether the window opens centred on the screen (else where the desktop puts it).
    bool centred = false;
    // The controls in their tab order (a frame before what it holds); the first one has the
    // focus when the window opens.
    std::vector<Control> controls;

    // The control named `name`, or nullptr.
    const Control* find(std::string_view name) const {
        for (const Control& control : controls)
            if (control.name == name) return &control;
        return nullptr;
    }
};

}  // namespace form
