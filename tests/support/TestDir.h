#pragma once
// A fresh folder for one test, removed when the test ends.
#include <filesystem>
#include <string>

namespace stowly::test {

class TestDir {
public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Reads and writes whole host files, for tests.
std::string ReadHostFile(const std::filesystem::path& p);
void WriteHostFile(const std::filesystem::path& p, const std::string& bytes);

// A 1x1 24-bit bitmap of one colour: a wallpaper the system can really load.
std::string OnePixelBitmap(unsigned char red, unsigned char green, unsigned char blue);

} // namespace stowly::test
