#include "platform/mountinfo.h"

namespace platform {

namespace {

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in paths as "\040", "\011", "\012" and
// "\134".
QByteArray unescape(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) &&
            isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xff) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return out;
}

std::optional<DeviceId> parseDevice(const QByteArray &field)
{
    const qsizetype colon = field.indexOf(':');
    if (colon <= 0)
        return std::nullopt;
    bool majorOk = false;
    bool minorOk = false;
    const uint major = field.left(colon).toUInt(&majorOk);
    const uint minor = field.mid(colon + 1).toUInt(&minorOk);
    if (!majorOk || !minorOk)
        return std::nullopt;
    return DeviceId{major, minor};
}

// "id parent major:minor root mount-point options [optional fields...] - type source options"
std::optional<MountEntry> parseLine(const QByteArray &line)
{
    const QList<QByteArray> fields = line.split(' ');
    constexpr qsizetype kFixedFields = 6;
    if (fields.size() < kFixedFields + 3)
        return std::nullopt;
    qsizetype separator = kFixedFields;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    if (separator + 2 >= fields.size())
        return std::nullopt;
    const std::optional<DeviceId> device = parseDevice(fields[2]);
    MountEntry entry;
    entry.mountPoint = unescape(fields[4]);
    if (!device || !entry.mountPoint.startsWith('/'))
        return std::nullopt;
    entry.device = *device;
    entry.fsType = unescape(fields[separator + 1]);
    entry.source = unescape(fields[separator + 2]);
    return entry;
}

bool holds(const QByteArray &mountPoint, const QByteArray &path)
{
    if (mountPoint == "/")
        return path.startsWith('/');
    return path.startsWith(mountPoint) &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

} // namespace

QList<MountEntry> parseMountInfo(const QByteArray &text)
{
    QList<MountEntry> mounts;
    for (const QByteArray &line : text.split('\n')) {
        if (std::optional<MountEntry> entry = parseLine(line))
            mounts.append(std::move(*entry));
    }
    return mounts;
}

qsizetype findMount(const QList<MountEntry> &mounts, const QByteArray &path,
                    std::optional<DeviceId> device)
{
    qsizetype best = -1;
    qsizetype bestOfDevice = -1;
    for (qsizetype i = 0; i < mounts.size(); ++i) {
        const MountEntry &mount = mounts[i];
        if (!holds(mount.mountPoint, path))
            continue;
        if (best < 0 || mount.mountPoint.size() >= mounts[best].mountPoint.size())
            best = i;
        if (device && mount.device == *device &&
            (bestOfDevice < 0 || mount.mountPoint.size() >= mounts[bestOfDevice].mountPoint.size()))
            bestOfDevice = i;
    }
    return bestOfDevice >= 0 ? bestOfDevice : best;
}

} // namespace platform
