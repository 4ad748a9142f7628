// The framework's exceptions. Every error of the program is one of these; its text is what
// the user reads in the message box, so it says what failed and, for files, which file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Base of all of the program's errors; the text is UTF-8.
class ETavoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An index left its declared range.
class ERangeError : public ETavoError {
 public:
  ERangeError();
};

// An integer result did not fit its type.
class EIntOverflow : public ETavoError {
 public:
  EIntOverflow();
};

// A file could not be opened for reading.
class EFOpenError : public ETavoError {
 public:
  EFOpenError(const std::string& fileName, const std::string& reason);
};

// A file could not be created or written.
class EFCreateError : public ETavoError {
 public:
  EFCreateError(const std::string& fileName, const std::string& reason);
};

// A file is not a picture the framework can read: wrong signature, broken header, cut short,
// or dimensions past the reader's limit.
class EInvalidGraphic : public ETavoError {
 public:
  EInvalidGraphic(const std::string& fileName, const std::string& reason);
};

// The JPEG library could not decode a file; carries the library's message number.
class EJpegError : public ETavoError {
 public:
  EJpegError(const std::string& fileName, int errorCode, const std::string& libraryMessage);
  int ErrorCode() const { return FErrorCode; }

 private:
  int FErrorCode;
};

// A picture was read but is smaller than its use needs.
class EImageSizeError : public ETavoError {
 public:
  EImageSizeError(const std::string& fileName, int width, int height, int minWidth, int minHeight);
};

// Raises the range error unless 0 <= index < count.
inline void CheckIndex(std::int64_t index, std::int64_t count) {
  if (index < 0 || index >= count) throw ERangeError();
}
