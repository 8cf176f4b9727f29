// Feeds a fuzz target each file named on the command line, or each file of a
// named folder, outside libFuzzer. A harness that finds a fault aborts, so
// the replay fails with it.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

int Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A copy of exactly the file's size, so ASan sees a read past its end.
    std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
    static std::uint8_t none = 0;  // libFuzzer never passes a null pointer either
    LLVMFuzzerTestOneInput(input.empty() ? &none : input.data(), input.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    int failures = 0;
    int replayed = 0;
    // Every path is made absolute first: a harness may change its current
    // folder.
    std::vector<std::filesystem::path> files;
    for (int k = 1; k < argc; ++k) {
        const std::filesystem::path path = std::filesystem::absolute(argv[k]);
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            files.push_back(path);
            continue;
        }
        const std::size_t before = files.size();
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        if (files.size() == before) {
            std::fprintf(stderr, "replay: %s holds no input\n", path.c_str());
            ++failures;
        }
    }
    for (const auto& file : files) {
        failures += Replay(file);
        ++replayed;
    }
    std::printf("replayed %d inputs\n", replayed);
    return failures == 0 ? 0 : 1;
}
