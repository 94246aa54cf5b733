// datatools on Windows: main.cpp's program, with the arguments as Windows has them (UTF-16,
// made UTF-8) and the console set to show UTF-8. Output goes out as the bytes it is, LF line
// ends included, into the console, a pipe or a file alike.
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "stop_signals.h"

namespace {

std::string Utf8(const wchar_t* wide) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back();  // the terminating zero
    return utf8;
}

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** const argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8(argv[i]));
    ::LocalFree(argv);
    return args;
}

// A console shows the UTF-8 it is given, and the progress line's escape sequences.
void PrepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(err, &mode))
        ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

}  // namespace

int main() {
    const std::vector<std::string> args = Arguments();
    PrepareConsole();
    // Ctrl+C and Ctrl+Break stop a run at its next progress point, its outputs holding whole
    // lines; once the run has unwound, the process ends as Ctrl+C ends a program on Windows.
    rt::CatchStopSignals();
    int status = 1;
    try {
        status = cli::Main(args, stdout, stderr);
    } catch (const rt::RunStopped&) {
    }
    rt::EndIfStopRequested();
    return status;
}
