// Stands in for a program in the launcher's tests: writes the folder it takes for its own and
// its current folder into record.txt in its current folder.
#include <filesystem>
#include <fstream>

#include "files.h"

int main(int, char** argv) {
    std::ofstream out("record.txt");
    out << rt::ProgramFolder(argv[0]).string() << "\n"
        << std::filesystem::current_path().string() << "\n";
}
