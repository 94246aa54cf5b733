#pragma once
// A form::View for tests: the controls of a declaration with their texts and choices, set and
// read as a user and the protocol would, without any toolkit. It records what the protocol asks
// of the window during a run, and can be told that the window was closed.

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "form/form.h"
#include "form/view.h"

namespace testing_support {

class ScriptedView : public form::View {
  public:
    explicit ScriptedView(const form::Form& declaration) : declaration_(declaration) {
        for (const form::Control& control : declaration.controls) {
            texts_[control.name] = std::string(control.text);
            chosen_[control.name] = control.chosen;
        }
    }

    // A user's choice: an option clears the other options of its container; a check box is
    // ticked or cleared.
    void choose(std::string_view name, bool chosen = true) {
        const form::Control& control = find(name);
        if (control.kind == form::Kind::Option && chosen) {
            for (const form::Control& other : declaration_.controls) {
                if (other.kind == form::Kind::Option && other.container == control.container)
                    chosen_[other.name] = false;
            }
        }
        chosen_[control.name] = chosen;
    }
    // Clicks the control (a button or the menu's entry) through the protocol's handlers.
    void click(std::string_view name, const form::Handlers& handlers) {
        for (const form::Handler& handler : handlers) {
            if (handler.control == name) return handler.click();
        }
        throw std::logic_error("no handler for " + std::string(name));
    }

    std::string text(std::string_view name) const override { return texts_.at(find(name).name); }
    void setText(std::string_view name, std::string_view text) override {
        texts_[find(name).name] = std::string(text);
        if (onText) onText(name, text);
    }
    bool chosen(std::string_view name) const override { return chosen_.at(find(name).name); }
    void paintNow(std::string_view name) override { ++paints[std::string(find(name).name)]; }
    std::string decimalMark() const override { return mark; }
    void runStarting() override { ++runs; }
    void runEnded() override { --runs; }
    bool serve() override {
        ++serves;
        if (onServe) onServe();
        return !closed;
    }

    // What the tests set: the desktop's decimal mark; the window closed (the next serve says
    // so); what happens at each serve during a run (e.g. closing the window).
    std::string mark = ".";
    bool closed = false;
    std::function<void()> onServe;
    // Called with every text the protocol sets.
    std::function<void(std::string_view name, std::string_view text)> onText;

    // What the protocol did: paints asked for, by control; runs going on; serves.
    std::map<std::string, int, std::less<>> paints;
    int runs = 0;
    int serves = 0;

  private:
    const form::Control& find(std::string_view name) const {
        if (const form::Control* control = declaration_.find(name)) return *control;
        throw std::logic_error("no control named " + std::string(name));
    }

    const form::Form& declaration_;
    std::map<std::string_view, std::string, std::less<>> texts_;
    std::map<std::string_view, bool, std::less<>> chosen_;
};

}  // namespace testing_support
