#include "pictures/corpus_support.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace pictest {
using namespace imprinta::picture;

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string CorporaDir() {
    if (const char* c = std::getenv("IMPRINTA_CORPORA"); c && *c) return c;
    if (const char* b = std::getenv("IMPRINTA_BUILD"); b && *b) return std::string(b) + "/corpora";
    return "corpora";
}

std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        struct stat st;
        std::string full = dir + "/" + name;
        if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(full);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> ToRgba(const DecodedPicture& p) {
    std::vector<uint8_t> out(size_t(p.width) * p.height * 4);
    for (uint32_t y = 0; y < p.height; ++y) {
        const uint8_t* s = p.pixels.data() + size_t(y) * p.stride;
        uint8_t* d = out.data() + size_t(y) * p.width * 4;
        for (uint32_t x = 0; x < p.width; ++x, d += 4) {
            switch (p.pixelFormat) {
            case PixelFormat::Bgr24:
                d[0] = s[x * 3 + 2]; d[1] = s[x * 3 + 1]; d[2] = s[x * 3]; d[3] = 255;
                break;
            case PixelFormat::Rgba32: std::memcpy(d, s + size_t(x) * 4, 4); break;
            case PixelFormat::Indexed8: {
                const Rgb& c = p.palette[s[x]];
                d[0] = c.r; d[1] = c.g; d[2] = c.b;
                d[3] = (p.transparentIndex >= 0 && s[x] == p.transparentIndex) ? 0 : 255;
                break;
            }
            case PixelFormat::Mono1: {
                const Rgb& c = p.palette[(s[x >> 3] >> (7 - (x & 7))) & 1];
                d[0] = c.r; d[1] = c.g; d[2] = c.b; d[3] = 255;
                break;
            }
            default: break;
            }
        }
    }
    return out;
}

std::optional<SizeInfo> ReadSize(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return std::nullopt;
    SizeInfo s;
    int n = std::fscanf(f, "%u %u %u", &s.width, &s.height, &s.frames);
    std::fclose(f);
    if (n < 2) return std::nullopt;
    return s;
}

PixelDiff CompareRgba(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
    PixelDiff diff;
    if (a.size() != b.size()) {
        diff.mismatches = SIZE_MAX;
        return diff;
    }
    for (size_t i = 0; i + 3 < a.size(); i += 4) {
        int delta = std::abs(int(a[i + 3]) - int(b[i + 3]));
        if (a[i + 3] != 0 || b[i + 3] != 0)
            for (int c = 0; c < 3; ++c) delta = std::max(delta, std::abs(int(a[i + c]) - int(b[i + c])));
        diff.maxDelta = std::max(diff.maxDelta, delta);
        if (delta > tolerance) {
            if (diff.first == SIZE_MAX) diff.first = i / 4;
            ++diff.mismatches;
        }
    }
    return diff;
}

}  // namespace pictest
