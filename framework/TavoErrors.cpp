#include "TavoErrors.h"

#include "Translation.h"

ERangeError::ERangeError() : ETavoError(Tr("Errors", "範囲チェックエラー")) {}

EIntOverflow::EIntOverflow() : ETavoError(Tr("Errors", "整数のオーバーフロー")) {}

EFOpenError::EFOpenError(const std::string& fileName, const std::string& reason)
    : ETavoError(Tr("Errors", "ファイル \"%1\" を開けません: %2").Arg(fileName).Arg(reason)) {}

EFCreateError::EFCreateError(const std::string& fileName, const std::string& reason)
    : ETavoError(Tr("Errors", "ファイル \"%1\" を書き込めません: %2").Arg(fileName).Arg(reason)) {}

EInvalidGraphic::EInvalidGraphic(const std::string& fileName, const std::string& reason)
    : ETavoError(
          Tr("Errors", "ファイル \"%1\" は読める絵ではありません: %2").Arg(fileName).Arg(reason)) {}

EJpegError::EJpegError(const std::string& fileName, int errorCode,
                       const std::string& libraryMessage)
    : ETavoError(Tr("Errors", "JPEG エラー #%1 (\"%2\"): %3")
                     .Arg(errorCode)
                     .Arg(fileName)
                     .Arg(libraryMessage)),
      FErrorCode(errorCode) {}

EImageSizeError::EImageSizeError(const std::string& fileName, int width, int height, int minWidth,
                                 int minHeight)
    : ETavoError(Tr("Errors", "絵 \"%1\" は %2 × %3 ピクセルです。%4 × %5 ピクセル以上が必要です。")
                     .Arg(fileName)
                     .Arg(width)
                     .Arg(height)
                     .Arg(minWidth)
                     .Arg(minHeight)) {}
