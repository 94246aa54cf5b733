#pragma once
// What a program asks of its desktop: modal message boxes and its own end. Windows talk to this
// interface only, so that tests can script the answers and watch the end without ending.

#include <new>
#include <stdexcept>
#include <string_view>

#include "run_events.h"
#include "runtime_error.h"

namespace rt {

enum class Buttons { Ok, OkCancel };
enum class Answer { Ok = 1, Cancel = 2 };

class Platform {
  public:
    virtual ~Platform() = default;

    // A modal box without icon. An empty title shows the program's name as the title.
    virtual Answer messageBox(std::string_view text, Buttons buttons,
                              std::string_view title = {}) = 0;

    // Ends the program: its window goes away and the process ends once the current handler
    // returns. Open files are closed by their owners as the run unwinds.
    virtual void endProgram() = 0;
};

// A run's questions and refusals in message boxes: a refusal in an OK box, a question in an
// OK/Cancel box whose OK goes ahead. Failures end the run (RunEvents' default).
class BoxEvents : public RunEvents {
  public:
    explicit BoxEvents(Platform& platform) : platform_(platform) {}
    bool accept(const Notice& question) override;
    void refuse(const Notice& refusal) override;

  protected:
    Platform& platform_;
};

// The report of an error no handler took: a box naming the error number and its meaning
// (Run-time error '53': File not found), then the end of the program.
void ReportUnhandledError(Platform& platform, const RuntimeError& error);

// Runs `run`; a run-time error it does not handle itself is reported as unhandled, and running out
// of memory counts as error 7.
template <class Run>
void RunReportingUnhandledErrors(Platform& platform, Run&& run) {
    try {
        run();
    } catch (const RuntimeError& error) {
        ReportUnhandledError(platform, error);
    } catch (const std::bad_alloc&) {
        ReportUnhandledError(platform, RuntimeError(kOutOfMemory));
    } catch (const std::length_error&) {
        ReportUnhandledError(platform, RuntimeError(kOutOfMemory));
    }
}

}  // namespace rt
