#include "reading/details/Checksums.h"

#include <cerrno>

#include "platform/crypto/HexText.h"
#include "platform/crypto/Md5.h"
#include "reading/details/Crc32.h"
#include "reading/details/SequentialFile.h"

namespace shelfmark {

FileChecksums ChecksumFile(const std::string& path, const CancelFlag& cancel, bool wantCrc32,
                           bool wantMd5, DigestContext* context) {
    FileChecksums result;
    if (!wantCrc32 && !wantMd5)
        return result;
    SequentialFile file(path);
    if (!file.isOpen()) {
        result.error = errno;
        return result;
    }
    DigestContext localContext;
    unsigned char* buffer = (context != nullptr ? context : &localContext)->buffer();

    uint32_t crc = 0;
    Md5 md5;
    while (!cancel.isSet()) {
        const ssize_t got = file.readBlock(buffer, kChecksumBlockSize);
        if (got < 0) {
            result.error = errno;
            return result;
        }
        const size_t size = static_cast<size_t>(got);
        if (wantCrc32)
            crc = Crc32Update(crc, buffer, size);
        if (wantMd5)
            md5.update(buffer, size);
        if (size < kChecksumBlockSize)
            break;
    }
    if (cancel.isSet())
        return result;
    if (wantCrc32)
        result.crc32 = crc;
    if (wantMd5)
        result.md5 = ToLowerHex(md5.finish());
    return result;
}

uint32_t Crc32File(const std::string& path, const CancelFlag& cancel) {
    return ChecksumFile(path, cancel, true, false).crc32.value_or(0);
}

std::optional<std::string> Md5File(const std::string& path, const CancelFlag& cancel,
                                   DigestContext* context) {
    return ChecksumFile(path, cancel, false, true, context).md5;
}

}  // namespace shelfmark
