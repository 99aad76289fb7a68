// Writes fuzz seeds from the application's own forms: the stored template
// collection (template target) and every unit block behind each of the ten
// property type bytes (property target).   fuzz_form_seeds <template-dir> <property-dir>
#include <cstdio>
#include <string>
#include <vector>
#include "app/forms/main_window_form.h"
#include "runtime/base/template_format.h"

static bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0;
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    std::vector<uint8_t> bytes = imprinta::forms::WriteTemplateCollection(mainwindow::DescribeApplicationForms());
    if (!Write(std::string(argv[1]) + "/application.tpl", bytes)) return 1;
    std::vector<imprinta::forms::TemplateWindow> windows;
    if (!imprinta::forms::ParseTemplateCollection(bytes.data(), bytes.size(), windows)) return 1;
    int n = 0;
    for (const auto& w : windows)
        for (const auto& u : w.units) {
            if (u.block.empty()) continue;
            for (uint8_t type = 0; type < 10; ++type) {
                std::vector<uint8_t> seed{type};
                seed.insert(seed.end(), u.block.begin(), u.block.end());
                Write(std::string(argv[2]) + "/unit" + std::to_string(n) + "_" + std::to_string(type), seed);
            }
            ++n;
        }
    std::printf("%d unit blocks\n", n);
    return 0;
}
