#pragma once
// A Platform for tests: records every message box, answers from a script, and notes the end of
// the program instead of ending the test process.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform.h"

namespace testing_support {

class ScriptedPlatform : public rt::Platform {
  public:
    struct Box {
        std::string text;
        rt::Buttons buttons;
        std::string title;
    };

    // Answers given in order; when empty, every box is answered OK.
    std::deque<rt::Answer> answers;
    // Called with each box before it is answered, for example to put a missing file in place.
    std::function<void(const Box&)> onBox;

    std::vector<Box> boxes;
    int endCount = 0;

    rt::Answer messageBox(std::string_view text, rt::Buttons buttons,
                          std::string_view title = {}) override {
        boxes.push_back(Box{std::string(text), buttons, std::string(title)});
        if (onBox) onBox(boxes.back());
        if (answers.empty()) return rt::Answer::Ok;
        const rt::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void endProgram() override { ++endCount; }

    bool ended() const { return endCount > 0; }
};

}  // namespace testing_support
