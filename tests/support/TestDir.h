#pragma once
// A fresh folder for one test, removed when the test ends; whole host files read and written.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace stowly::test {

class TestDir {
public:
    TestDir() {
        static std::atomic<int> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("stowly-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TestDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadHostFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteHostFile(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A 1x1 24-bit bitmap of one colour: a wallpaper the system can really load.
inline std::string OnePixelBitmap(unsigned char red, unsigned char green, unsigned char blue) {
    // File header (14 bytes), BITMAPINFOHEADER (40), one row of 3 bytes padded to 4.
    std::string bmp("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0"
                    "\0\0\0\0\4\0\0\0\x13\x0B\0\0\x13\x0B\0\0\0\0\0\0\0\0\0\0",
                    54);
    bmp += {static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red), '\0'};
    return bmp;
}

} // namespace stowly::test
