// Replays fuzz inputs through a target's entry function without libFuzzer, so that the test suite can run
// every seed of a corpus under the sanitizers of an ordinary build: replay FILE_OR_DIR...
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << path.string() << ": cannot open\n";
        return false;
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int replayed = 0;
    bool ok = argc > 1;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path = argv[i];
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file()) {
                    ok = Replay(entry.path()) && ok;
                    ++replayed;
                }
        } else {
            ok = Replay(path) && ok;
            ++replayed;
        }
    }
    std::cout << replayed << " inputs replayed\n";
    return ok && replayed > 0 ? 0 : 1;
}
