#pragma once
// The program's failures are numbered run-time errors. An operation throws
// RuntimeError inside; the procedure that owns it catches at its edge, reports
// it with ReportError (core/ReportError.h) under its own name and ends.

#include <stdexcept>
#include <string>

#include "platform/Platform.h"

namespace stowly {

namespace err {
constexpr int InvalidArgument = 5;
constexpr int Overflow = 6;
constexpr int TypeMismatch = 13;
constexpr int FileNotFound = 53;
constexpr int InputPastEnd = 62;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int BadFileFormat = 321; // a file that is not in the format it should be
constexpr int Cancelled = 32755; // the user cancelled a file dialog
} // namespace err

// The program's file error for a Windows error number: 53 for a missing file, 76
// for a missing path, 75 for any other failure to read or write (access denied, a
// full disk, a file held by another program).
constexpr int FileErrorNumber(int windowsError) {
    if (windowsError == winerr::FileNotFound) return err::FileNotFound;
    if (windowsError == winerr::PathNotFound) return err::PathNotFound;
    return err::PathFileAccess;
}

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number, const std::string& what = {})
        : std::runtime_error(what.empty() ? "run-time error " + std::to_string(number) : what),
          number_(number) {}
    int number() const noexcept { return number_; }

private:
    int number_;
};

} // namespace stowly
