// The WeChat reader module: OpenCV's wechat_qrcode behind a C entry point.
//
// Debian ships the reader without its two CNN models (the symbol detector and the
// super-resolution net), so it runs with its traditional path: it looks for one symbol in
// the whole picture it is given, at a few scales, and returns that picture's corners as the
// position. Readback therefore shows it each symbol that the other readers located, cut out
// with its quiet zone, as the detector model would, and the whole picture once.

#include <opencv2/core.hpp>
#include <opencv2/wechat_qrcode.hpp>

#include <cstdio>
#include <exception>

#include "WeChatModule.h"

namespace {

// Whether the corners are only the picture's own (0, 0) .. (width-1, height-1).
bool WholePicture(const cv::Mat& corners, int width, int height) {
    if (corners.rows != 4 || corners.cols != 2 || corners.type() != CV_32F) return true;
    const float expected[4][2] = {{0, 0},
                                  {float(width - 1), 0},
                                  {float(width - 1), float(height - 1)},
                                  {0, float(height - 1)}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 2; ++c)
            if (corners.at<float>(r, c) != expected[r][c]) return false;
    return true;
}

int Read(const unsigned char* grey, int width, int height, QrdeskWeChatFound found, void* context,
         char* error, std::size_t errorSize) {
    try {
        if (!grey || width <= 0 || height <= 0) return 0;
        // OpenCV only reads its input; the header wraps the caller's pixels without a copy.
        const cv::Mat picture(height, width, CV_8UC1, const_cast<unsigned char*>(grey));
        cv::wechat_qrcode::WeChatQRCode reader;
        std::vector<cv::Mat> corners;
        const std::vector<std::string> texts = reader.detectAndDecode(picture, corners);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            cv::Mat points;
            if (i < corners.size()) corners[i].reshape(1, 4).convertTo(points, CV_32F);
            const bool located = !points.empty() && !WholePicture(points, width, height);
            found(context, texts[i].data(), texts[i].size(),
                  located ? points.ptr<float>(0) : nullptr);
        }
        return static_cast<int>(texts.size());
    } catch (const std::exception& e) {
        if (error && errorSize) std::snprintf(error, errorSize, "%s", e.what());
    } catch (...) {
        if (error && errorSize) std::snprintf(error, errorSize, "unknown failure");
    }
    return -1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const QrdeskWeChatModule* qrdesk_wechat_module(
    void) {
    static const QrdeskWeChatModule kModule{
        qrdesk::kWeChatModuleVersion, "traditional (no CNN detector or super-resolution model)",
        Read};
    return &kModule;
}
