#include "textfile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "folder_bounds.h"
#include "runtime_error.h"

namespace rt {
namespace {

int WriteErrorNumber(int err) {
    switch (err) {
        case ENOSPC:
#ifdef EDQUOT  // not on Windows
        case EDQUOT:
#endif
        case EFBIG: return kDiskFull;
        case EIO: return kDeviceIoError;
        default: return kPathFileAccessError;
    }
}

}  // namespace

// ---- LineReader -------------------------------------------------------------------------------

LineReader::LineReader(const std::filesystem::path& path, std::size_t blockSize) : file_(path) {
    capacity_ = blockSize < 4 ? 4 : blockSize;
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
}

LineReader::~LineReader() {
    close();
}

LineReader::LineReader(LineReader&& other) noexcept
    : file_(std::move(other.file_)),
      buffer_(std::move(other.buffer_)),
      capacity_(std::exchange(other.capacity_, 0)),
      begin_(std::exchange(other.begin_, 0)),
      end_(std::exchange(other.end_, 0)),
      eof_(std::exchange(other.eof_, true)),
      started_(other.started_),
      at_(other.at_) {}

LineReader& LineReader::operator=(LineReader&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::move(other.file_);
        buffer_ = std::move(other.buffer_);
        capacity_ = std::exchange(other.capacity_, 0);
        begin_ = std::exchange(other.begin_, 0);
        end_ = std::exchange(other.end_, 0);
        eof_ = std::exchange(other.eof_, true);
        started_ = other.started_;
        at_ = other.at_;
    }
    return *this;
}

void LineReader::close() noexcept {
    file_.close();
    eof_ = true;
}

bool LineReader::fill() {
    if (eof_) return false;
    if (!started_) {
        at_ = file_.textStart();
        started_ = true;
    }
    // Keep the unread bytes, moved to the front; grow when they fill the whole buffer (a line
    // longer than a block).
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        auto larger = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ *= 2;
    }
    const std::size_t got = file_.readAt(at_, buffer_.get() + end_, capacity_ - end_);
    if (got == 0) {
        eof_ = true;
        return false;
    }
    end_ += got;
    at_ += got;
    return true;
}

bool LineReader::atEnd() {
    while (begin_ == end_) {
        if (!fill()) return true;
    }
    return false;
}

std::string_view LineReader::readLine() {
    if (atEnd()) throw RuntimeError(kInputPastEndOfFile);
    std::size_t scanned = 0;  // bytes of the unread part known to hold no line end
    for (;;) {
        const char* const base = buffer_.get() + begin_;
        const std::size_t available = end_ - begin_;
        const char* from = base + scanned;
        const std::size_t rest = available - scanned;
        const auto* lf = static_cast<const char*>(std::memchr(from, '\n', rest));
        const std::size_t crSpan = lf ? static_cast<std::size_t>(lf - from) : rest;
        const auto* cr = static_cast<const char*>(std::memchr(from, '\r', crSpan));
        if (cr) {
            const std::size_t length = static_cast<std::size_t>(cr - base);
            if (length + 1 == available && !eof_) {
                // A CR at the end of what is buffered: the next byte decides between CR and CR LF.
                scanned = length;
                if (fill()) continue;
            }
            const char* const now = buffer_.get() + begin_;
            const bool crlf = length + 1 < end_ - begin_ && now[length + 1] == '\n';
            begin_ += length + (crlf ? 2 : 1);
            return {now, length};
        }
        if (lf) {
            const std::size_t length = static_cast<std::size_t>(lf - base);
            begin_ += length + 1;
            return {base, length};
        }
        scanned = available;
        if (!fill()) {
            // The last line of the file, without a line end.
            const char* const now = buffer_.get() + begin_;
            const std::size_t length = end_ - begin_;
            begin_ = end_;
            return {now, length};
        }
    }
}

// ---- LineWriter -------------------------------------------------------------------------------

LineWriter::LineWriter(const std::filesystem::path& path) {
    fd_ = OpenOutputFile(path);
    buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
}

LineWriter::~LineWriter() {
    release();
}

void LineWriter::release() noexcept {
    if (fd_ < 0) return;
    try {
        flush();
    } catch (...) {
        // The program is ending; what could not be written is lost either way.
    }
    ::close(std::exchange(fd_, -1));
}

LineWriter::LineWriter(LineWriter&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      buffer_(std::move(other.buffer_)),
      used_(std::exchange(other.used_, 0)),
      bytesWritten_(other.bytesWritten_) {}

LineWriter& LineWriter::operator=(LineWriter&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        buffer_ = std::move(other.buffer_);
        used_ = std::exchange(other.used_, 0);
        bytesWritten_ = other.bytesWritten_;
    }
    return *this;
}

void LineWriter::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd_, data, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            throw RuntimeError(WriteErrorNumber(errno), std::strerror(errno));
        }
        data += put;
        size -= static_cast<std::size_t>(put);
        bytesWritten_ += static_cast<std::uint64_t>(put);
    }
}

void LineWriter::flush() {
    if (used_ == 0) return;
    const std::size_t size = std::exchange(used_, 0);
    writeAll(buffer_.get(), size);
}

void LineWriter::printLarge(std::string_view text) {
    flush();
    if (text.size() >= kBufferSize) {
        writeAll(text.data(), text.size());
    } else {
        std::memcpy(buffer_.get(), text.data(), text.size());
        used_ = text.size();
    }
}

void LineWriter::close() {
    if (fd_ < 0) return;
    try {
        flush();
    } catch (...) {
        ::close(std::exchange(fd_, -1));
        throw;
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR) throw RuntimeError(WriteErrorNumber(errno));
}

}  // namespace rt
