#include "run_events.h"

namespace rt {

void RunEvents::progress(std::uint64_t, std::uint64_t) {}

bool RunEvents::accept(const Notice&) {
    return true;
}

void RunEvents::refuse(const Notice&) {}

void RunEvents::failed(const RuntimeError& error) {
    throw error;
}

RuntimeError NamingFile(const RuntimeError& error, const std::filesystem::path& file) {
    const std::string name = file.string();
    if (error.detail().starts_with(name)) return error;
    return RuntimeError(error.number(), name + ": " + error.detail(), error.advice());
}

bool SizeAccepted(RunEvents& events, BigCount bytes, std::optional<std::uint64_t> room,
                  const std::filesystem::path& file,
                  const std::function<std::string(std::uint64_t room)>& tooLarge,
                  const std::function<std::string()>& large) {
    switch (JudgeSize(bytes, room)) {
        case SizeVerdict::Fits: return true;
        case SizeVerdict::TooLarge: {
            const std::string text = tooLarge(*room);
            events.refuse({text, file});
            return false;
        }
        case SizeVerdict::Large: break;
    }
    const std::string text = large();
    return events.accept({text, file});
}

}  // namespace rt
