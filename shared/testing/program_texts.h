#pragma once
// What the programs show and write, written out once for the tests that check it. The texts are
// not taken from the programs, so that a text changed by mistake fails a test.

#include <string>
#include <string_view>

namespace testing_support {

// The box of a run-time error that no handler takes: "Run-time error '70':\n\nPermission denied",
// then what to do about it after an empty line, where the program says it.
inline std::string UnhandledReport(int number, std::string_view advice = {}) {
    const char* meaning = "?";
    switch (number) {
        case 6: meaning = "Overflow"; break;
        case 7: meaning = "Out of memory"; break;
        case 53: meaning = "File not found"; break;
        case 61: meaning = "Disk full"; break;
        case 70: meaning = "Permission denied"; break;
    }
    std::string text = "Run-time error '" + std::to_string(number) + "':\n\n" + meaning;
    if (!advice.empty()) text += "\n\n" + std::string(advice);
    return text;
}

namespace binning_texts {

inline constexpr std::string_view kPermissionBox =
    "Error.  Most likely the output file Results.txt is already open in some other program.  "
    "Please close it and then click OK.";
inline constexpr std::string_view kFileNotFoundBox =
    "File-not-found error.  Be sure this folder contains the files Bins.txt (or else Bins1.txt "
    "and Bins2.txt) and Data.txt, then click Go again.";
// The program-error box: this beginning, an e-mail address, this end.
inline constexpr std::string_view kProgramErrorStart =
    "Program error.  If you like, you can send copies of your input files to ";
inline constexpr std::string_view kProgramErrorEnd = " and I will try to diagnose.";

// The notes and totals that end every Results.txt.
inline const std::string kEdgesNote = "Forms at bin edges are assigned to the lower bin.\r\n";
inline const std::string kRowsNote = "Rows denote the first variable, columns the second.\r\n";
inline std::string Totals(long long total, long long notInAnyBin) {
    return "Total data:  " + std::to_string(total) +
           "\r\nTotal data not in any bin:  " + std::to_string(notInAnyBin) + "\r\n";
}

// The worked example: bins.txt, Data.txt of single values or of pairs, and Results.txt of each.
inline const std::string kBins = "0\n10\n20\n";
inline const std::string kData = "5\n10\n15\n25\nabc\n";
inline const std::string kPairs = "5\t15\n10\t10\n25\t5\n15\n";
inline const std::string kSingleReport =
    "[0 - 10]\t3\r\n"
    "[10 - 20]\t1\r\n"
    "\r\n"
    "Forms at bin edges are assigned to the lower bin.\r\n"
    "Total data:  5\r\n"
    "Total data not in any bin:  1\r\n";
inline const std::string kPairsReport =
    "\t[0 - 10]\t[10 - 20]\r\n"
    "[0 - 10]\t1\t1\r\n"
    "[10 - 20]\t1\t0\r\n"
    "\r\n"
    "Rows denote the first variable, columns the second.\r\n"
    "Forms at bin edges are assigned to the lower bin.\r\n"
    "Total data:  4\r\n"
    "Total data not in any bin:  1\r\n";

}  // namespace binning_texts

namespace chainmaker_texts {

inline constexpr std::string_view kExcludeMissingBox = "Can't find the file exclude.txt";

}  // namespace chainmaker_texts

namespace splitword_texts {

inline constexpr const char* kDoneCaption = "Done! Click again to exit.";
inline const std::string kCompoundHeader = "Possible compound\tFirst member\tSecond member\r\n";

}  // namespace splitword_texts

}  // namespace testing_support
