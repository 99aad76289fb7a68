// Replays files through every fuzz target's entry point: the seed corpora,
// the saved findings and the real-world corpora. Built with ASan and UBSan,
// so a regression aborts the run. Arguments: files or directories (walked
// recursively); missing ones are skipped with a note.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>
#include "fuzz_targets.h"

namespace fs = std::filesystem;

static bool IsSourceFile(const fs::path& p) {
    static const std::set<std::string> skip = {".cpp", ".h", ".txt", ".cmake", ".dict", ".sh", ".md",
                                               ".options", ".rgba", ".ppm", ".dmp", ".map"};
    return skip.count(p.extension().string()) != 0 || p.filename() == "CMakeLists.txt";
}

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        fs::path root(argv[i]);
        std::error_code ec;
        if (fs::is_regular_file(root, ec)) {
            files.push_back(root);
        } else if (fs::is_directory(root, ec)) {
            for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator();
                 it.increment(ec)) {
                if (ec) break;
                if (it->is_regular_file(ec) && !IsSourceFile(it->path()) && it->file_size(ec) <= (16u << 20))
                    files.push_back(it->path());
            }
        } else {
            std::printf("replay: %s not present, skipped\n", argv[i]);
        }
    }
    size_t runs = 0;
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const auto* t = imprinta::fuzz::kFuzzTargets; t->name; ++t) {
            t->run(bytes.data(), bytes.size());
            ++runs;
        }
    }
    std::printf("replay: %zu files, %zu target runs, no sanitizer report\n", files.size(), runs);
    return files.empty() ? 1 : 0;
}
