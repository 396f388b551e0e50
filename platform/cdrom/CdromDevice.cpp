#include "platform/cdrom/CdromDevice.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>  // CDSL_CURRENT is INT_MAX

namespace shelfmark::cdrom {

namespace {

// A file descriptor closed when it goes out of scope.
class DeviceHandle {
  public:
    explicit DeviceHandle(const std::string& device)
        : fd_(::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)),
          error_(fd_ < 0 ? errno : 0) {}
    ~DeviceHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int openError() const { return error_; }

  private:
    int fd_;
    int error_;
};

CdromStatus StatusFromOpenError(int error) {
    switch (error) {
        case EBUSY:
        case EAGAIN:
            return CdromStatus::Busy;
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
            return CdromStatus::NoDevice;
        case ENOMEDIUM:
            return CdromStatus::NoDisc;
        default:
            return CdromStatus::Failed;
    }
}

// The drive's own report of its state, before the table of contents is asked for.
CdromStatus DriveStatus(int fd) {
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    if (status < 0)
        return errno == ENOTTY || errno == EINVAL ? CdromStatus::NotCdrom : CdromStatus::Ok;
    switch (status) {
        case CDS_NO_DISC:
        case CDS_TRAY_OPEN:
            return CdromStatus::NoDisc;
        case CDS_DRIVE_NOT_READY:
            return CdromStatus::Busy;
        default:
            return CdromStatus::Ok;  // CDS_DISC_OK, or CDS_NO_INFO from drives that cannot tell
    }
}

bool ReadEntry(int fd, int track, TocEntry& entry) {
    cdrom_tocentry msf{};
    msf.cdte_track = static_cast<__u8>(track);
    msf.cdte_format = CDROM_MSF;
    if (::ioctl(fd, CDROMREADTOCENTRY, &msf) < 0)
        return false;
    cdrom_tocentry lba{};
    lba.cdte_track = static_cast<__u8>(track);
    lba.cdte_format = CDROM_LBA;
    if (::ioctl(fd, CDROMREADTOCENTRY, &lba) < 0)
        return false;
    entry.track = track;
    entry.isData = (msf.cdte_ctrl & CDROM_DATA_TRACK) != 0;
    entry.minutes = msf.cdte_addr.msf.minute;
    entry.seconds = msf.cdte_addr.msf.second;
    entry.frames = msf.cdte_addr.msf.frame;
    entry.lba = lba.cdte_addr.lba;
    return true;
}

}  // namespace

CdromStatus ReadDeviceToc(const std::string& device, RawToc& toc) {
    toc = {};
    const DeviceHandle handle(device);
    if (!handle.isOpen())
        return StatusFromOpenError(handle.openError());
    if (const CdromStatus status = DriveStatus(handle.fd()); status != CdromStatus::Ok)
        return status;

    cdrom_tochdr header{};
    if (::ioctl(handle.fd(), CDROMREADTOCHDR, &header) < 0) {
        switch (errno) {
            case ENOTTY:
            case EINVAL:
                return CdromStatus::NotCdrom;
            case ENOMEDIUM:
                return CdromStatus::NoDisc;
            case EBUSY:
                return CdromStatus::Busy;
            default:
                return CdromStatus::Failed;
        }
    }
    if (header.cdth_trk0 < 1 || header.cdth_trk1 < header.cdth_trk0 || header.cdth_trk1 > 99)
        return CdromStatus::Failed;
    toc.firstTrack = header.cdth_trk0;
    toc.lastTrack = header.cdth_trk1;
    for (int track = toc.firstTrack; track <= toc.lastTrack; ++track) {
        TocEntry entry;
        if (!ReadEntry(handle.fd(), track, entry)) {
            toc = {};
            return CdromStatus::Failed;
        }
        toc.tracks.push_back(entry);
    }
    if (!ReadEntry(handle.fd(), kLeadOutTrack, toc.leadOut)) {
        toc = {};
        return CdromStatus::Failed;
    }
    return CdromStatus::Ok;
}

bool ReadDeviceCdText(const std::string& device, std::vector<uint8_t>& answer) {
    answer.clear();
    const DeviceHandle handle(device);
    if (!handle.isOpen())
        return false;

    // READ TOC/PMA/ATIP, MSF addressing, format 5 (CD-Text), allocation length 5000.
    unsigned char command[10] = {0x43, 0x02, 0x05, 0, 0, 0, 0, 0x13, 0x88, 0};
    unsigned char sense[24] = {};
    std::vector<uint8_t> buffer(kCdTextBufferSize, 0);

    sg_io_hdr_t request{};
    request.interface_id = 'S';
    request.dxfer_direction = SG_DXFER_FROM_DEV;
    request.cmd_len = sizeof command;
    request.cmdp = command;
    request.mx_sb_len = sizeof sense;
    request.sbp = sense;
    request.dxfer_len = static_cast<unsigned int>(buffer.size());
    request.dxferp = buffer.data();
    request.timeout = 10000;  // milliseconds
    if (::ioctl(handle.fd(), SG_IO, &request) < 0)
        return false;
    if (request.status != 0 || request.host_status != 0 || (request.driver_status & 0x0F) != 0)
        return false;

    size_t received = buffer.size();
    if (request.resid > 0 && static_cast<size_t>(request.resid) < received)
        received -= static_cast<size_t>(request.resid);
    if (received < kCdTextHeaderSize)
        return false;
    // The header's length counts the bytes after the length field itself.
    const size_t reported = 2 + ((static_cast<size_t>(buffer[0]) << 8) | buffer[1]);
    if (reported < received)
        received = reported;
    buffer.resize(received);
    answer = std::move(buffer);
    return true;
}

bool EjectDevice(const std::string& device) {
    const DeviceHandle handle(device);
    if (!handle.isOpen())
        return false;
    return ::ioctl(handle.fd(), CDROMEJECT, 0) == 0;
}

}  // namespace shelfmark::cdrom
