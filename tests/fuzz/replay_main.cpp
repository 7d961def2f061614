// Replays a fuzz target without libFuzzer: every regular file of each
// directory named on the command line (or the named file) goes through
// LLVMFuzzerTestOneInput once, in name order. An argument without inputs
// fails, so a lost corpus fails the test.
#include "fuzz_target.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char **argv) {
    for (int a = 1; a < argc; ++a) {
        std::vector<fs::path> inputs;
        std::error_code error;
        if (fs::is_directory(argv[a], error)) {
            for (const fs::directory_entry &e : fs::directory_iterator(argv[a], error))
                if (e.is_regular_file())
                    inputs.push_back(e.path());
        } else if (fs::is_regular_file(argv[a], error)) {
            inputs.push_back(argv[a]);
        }
        std::sort(inputs.begin(), inputs.end());
        for (const fs::path &p : inputs) {
            std::ifstream in(p, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "%s: cannot read\n", p.c_str());
                return 1;
            }
            // Exactly the file's size, so a read past the end leaves the
            // allocation, as under libFuzzer.
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            static const uint8_t kNothing = 0; // an empty input still has a valid pointer
            LLVMFuzzerTestOneInput(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
        }
        std::printf("%s: %zu inputs replayed\n", argv[a], inputs.size());
        if (inputs.empty())
            return 1;
    }
    return argc > 1 ? 0 : 2;
}
