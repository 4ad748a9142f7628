#include "TavoErrors.h"

ERangeError::ERangeError() : ETavoError("範囲チェックエラー") {}

EIntOverflow::EIntOverflow() : ETavoError("整数のオーバーフロー") {}

EFOpenError::EFOpenError(const std::string& fileName, const std::string& reason)
    : ETavoError("ファイル \"" + fileName + "\" を開けません: " + reason) {}

EFCreateError::EFCreateError(const std::string& fileName, const std::string& reason)
    : ETavoError("ファイル \"" + fileName + "\" を書き込めません: " + reason) {}

EInvalidGraphic::EInvalidGraphic(const std::string& fileName, const std::string& reason)
    : ETavoError("ファイル \"" + fileName + "\" は読める画像ではありません: " + reason) {}

EJpegError::EJpegError(const std::string& fileName, int errorCode,
                       const std::string& libraryMessage)
    : ETavoError("JPEG エラー #" + std::to_string(errorCode) + " (\"" + fileName +
                 "\"): " + libraryMessage),
      FErrorCode(errorCode) {}

EImageSizeError::EImageSizeError(const std::string& fileName, int width, int height, int minWidth,
                                 int minHeight)
    : ETavoError("画像 \"" + fileName + "\" は " + std::to_string(width) + " × " +
                 std::to_string(height) + " ピクセルです。" + std::to_string(minWidth) + " × " +
                 std::to_string(minHeight) + " ピクセル以上が必要です。") {}
