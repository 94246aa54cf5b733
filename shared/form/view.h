#pragma once
// What a window's protocol asks of the window a builder made from its declaration. Controls are
// named as in the declaration. Tests script a view of their own (testing/scripted_view.h).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace form {

class View {
  public:
    virtual ~View() = default;

    // A control's caption, a label's text, or what a text box holds.
    virtual std::string text(std::string_view control) const = 0;
    // Sets it; the window paints it when it next paints (see paintNow).
    virtual void setText(std::string_view control, std::string_view text) = 0;
    // Whether an option is chosen, or a check box fully ticked.
    virtual bool chosen(std::string_view control) const = 0;
    // Paints the control at once: a run holds the window's thread, so nothing else would.
    virtual void paintNow(std::string_view control) = 0;
    // The decimal mark of the desktop's language, which numbers typed into the window use.
    virtual std::string decimalMark() const = 0;

    // A run starts: until runEnded the controls take no input, and a request to close the
    // window is noted rather than carried out.
    virtual void runStarting() = 0;
    virtual void runEnded() = 0;
    // During a run: lets the window paint and answer the desktop. False once the window has
    // been asked to close.
    virtual bool serve() = 0;
};

// What a click on a control (a button or the menu entry) runs.
struct Handler {
    std::string_view control;
    std::function<void()> click;
};
using Handlers = std::vector<Handler>;

}  // namespace form
