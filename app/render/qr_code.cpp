#include "app/render/qr_code.h"
#include <windows.h>
#include <qrencode.h>
#include <cerrno>
#include <memory>

namespace app {

namespace {

std::string Utf8(const std::string& gbk) {
    bool ascii = true;
    for (char c : gbk) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return gbk;
    const int n = MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), nullptr, 0);
    std::wstring wide(size_t(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), wide.data(), n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(std::max(m, 0)), '\0');
    if (m > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), m, nullptr, nullptr);
    return out;
}

QRecLevel LevelOf(QrLevel level) {
    switch (level) {
    case QrLevel::L: return QR_ECLEVEL_L;
    case QrLevel::M: return QR_ECLEVEL_M;
    case QrLevel::Q: return QR_ECLEVEL_Q;
    case QrLevel::H: return QR_ECLEVEL_H;
    }
    return QR_ECLEVEL_M;
}

// The last code made on this thread: a keystroke in another field draws the
// same code again without encoding it.
struct LastCode {
    std::string text;
    QrLevel level = QrLevel::M;
    QrModules modules;
};
thread_local LastCode t_last;

}  // namespace

const char* QrErrorText(QrError e) {
    switch (e) {
    case QrError::None: return "";
    case QrError::Empty: return "二维码没有内容";
    case QrError::TooLong: return "二维码内容太长, 这个纠错级别装不下";
    case QrError::TooSmall: return "二维码太小, 装不下这么多内容 (每个点至少 2 像素)";
    case QrError::NoMemory: return "内存不足";
    }
    return "";
}

QrModules EncodeQr(const std::string& gbk, QrLevel level, QrError* error) {
    *error = QrError::None;
    if (gbk.empty()) {
        *error = QrError::Empty;
        return {};
    }
    if (t_last.modules.width && t_last.text == gbk && t_last.level == level) return t_last.modules;
    const std::string text = Utf8(gbk);
    errno = 0;
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(QRcode_encodeString(text.c_str(), 0, LevelOf(level), QR_MODE_8, 1),
                                                    QRcode_free);
    if (!code) {
        *error = errno == ENOMEM ? QrError::NoMemory : QrError::TooLong;
        return {};
    }
    QrModules m;
    m.width = code->width;
    m.dark.resize(size_t(code->width) * code->width);
    for (size_t i = 0; i < m.dark.size(); ++i) m.dark[i] = code->data[i] & 1;
    t_last = {gbk, level, m};
    return m;
}

QrError CheckQr(const QrField& f, QrModules* modules) {
    QrError error = QrError::None;
    QrModules m = EncodeQr(f.text, f.level, &error);
    if (error != QrError::None) return error;
    if (!PlaceQr(m.width, f.quietModules, f.size).modulePixels) return QrError::TooSmall;
    if (modules) *modules = std::move(m);
    return QrError::None;
}

}  // namespace app
