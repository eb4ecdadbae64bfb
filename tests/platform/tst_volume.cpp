#include "platform/mountinfo.h"
#include "platform/volume.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "sync/volume.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTest>

#include <functional>
#include <limits>

using platform::DriveType;
using platform::MountEntry;

namespace {

// Free space moves while others write to the disk: our figure must lie between two readings
// of QStorageInfo taken around it.
bool freeSpaceMatches(const QString &folder, const std::function<double()> &query)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const double before = double(QStorageInfo(folder).bytesAvailable());
        const double ours = query();
        const double after = double(QStorageInfo(folder).bytesAvailable());
        if (ours >= qMin(before, after) && ours <= qMax(before, after))
            return true;
    }
    return false;
}

const QByteArray kSampleMounts = "22 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                 "23 22 254:1 / /home rw shared:1 - ext4 /dev/vdb rw\n"
                                 "24 23 8:17 / /home/user/my\\040disk rw - vfat /dev/sdb1 rw\n"
                                 "25 22 0:30 / /data rw - ext4 /dev/vdc rw\n"
                                 "26 22 0:31 / /data rw - xfs /dev/vdd rw\n"
                                 "27 22 8:33 / /mnt/a/b rw - ext4 /dev/sdc1 rw\n"
                                 "28 22 0:40 / /mnt/a rw - nfs4 srv:/a rw\n";

} // namespace

class VolumeTest : public QObject {
    Q_OBJECT

private slots:
    void existingVolume_data()
    {
        QTest::addColumn<QString>("relative");
        for (const char *relative : {"", "/", "/file.txt", "/missing", "/missing/deeper/still"})
            QTest::newRow(*relative ? relative : "itself") << QString::fromLatin1(relative);
    }
    // A missing folder takes the volume of its nearest existing ancestor.
    void existingVolume()
    {
        QFETCH(QString, relative);
        TestTree tree;
        tree.writeFile(QStringLiteral("file.txt"), "x");
        const VolumeInfo own = QueryVolume(tree.root());
        const VolumeInfo info = QueryVolume(tree.root() + relative);
        QVERIFY(int(info.MediaType) >= 0 && int(info.MediaType) <= 6 &&
                info.MediaType != DriveType::NoRoot);
        QCOMPARE(info.MediaType, own.MediaType);
        QCOMPARE(info.VolumeLabel, own.VolumeLabel);
        QVERIFY(info.FreeSpace > 0);
        QVERIFY(freeSpaceMatches(
            tree.root(), [&] { return double(QueryVolume(tree.root() + relative).FreeSpace); }));
    }

    void systemFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("fsType");
        QTest::addColumn<DriveType>("mediaType");
        QTest::newRow("tmpfs") << "/dev/shm" << QByteArray("tmpfs") << DriveType::Ram;
        QTest::newRow("proc") << "/proc/self" << QByteArray("proc") << DriveType::Unknown;
    }
    void systemFolders()
    {
        QFETCH(QString, folder);
        QFETCH(QByteArray, fsType);
        QFETCH(DriveType, mediaType);
        if (QStorageInfo(folder).fileSystemType() != fsType)
            QSKIP("this machine has no such mount there");
        QCOMPARE(QueryVolume(folder).MediaType, mediaType);
    }

    void noVolume_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text : {"", "abc", "c:\\data", "\\\\serveur\\partage", "./tmp"})
            QTest::newRow(*text ? text : "empty") << QString::fromLatin1(text);
        QTest::newRow("nul inside") << QStringLiteral("/tmp") + QChar(0) + QStringLiteral("x");
    }
    void noVolume()
    {
        QFETCH(QString, text);
        const VolumeInfo info = QueryVolume(text);
        QCOMPARE(info.MediaType, DriveType::NoRoot);
        QCOMPARE(info.VolumeLabel, QString());
        QCOMPARE(info.FreeSpace, quint64(0));
    }

    void mediaTypeName_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        const char *names[] = {"<unknown>", "<not exists>", "Removable", "Fixed",
                               "Remote",    "CDROM",        "RAM"};
        for (int type = 0; type <= 6; ++type)
            QTest::addRow("%d", type) << type << QString::fromLatin1(names[type]);
        for (int type : {7, -1, std::numeric_limits<int>::min()})
            QTest::addRow("%d", type) << type << "<unknown>";
    }
    void mediaTypeName()
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        QCOMPARE(MediaTypeName(DriveType(type)), name);
    }

    void destinationFreeSpace_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("exists");
        QTest::newRow("folder") << "" << true;
        QTest::newRow("missing folder") << "/missing" << false;
        QTest::newRow("file") << "/file.txt" << false;
        QTest::newRow("dangling link") << "/dangling" << false;
    }
    void destinationFreeSpace()
    {
        QFETCH(QString, relative);
        QFETCH(bool, exists);
        TestTree tree;
        tree.writeFile(QStringLiteral("file.txt"), "x");
        QFile::link(tree.path(QStringLiteral("gone")), tree.path(QStringLiteral("dangling")));
        const QString path = tree.root() + relative;
        if (exists)
            QVERIFY(freeSpaceMatches(tree.root(), [&] { return DestinationFreeSpace(path); }));
        else
            QCOMPARE(DestinationFreeSpace(path), -1.0);
    }
    // A relative text is no volume even when the folder exists: 0 bytes, not -1.
    void destinationRelativeFolder()
    {
        TestTree tree;
        tree.makeFolder(QStringLiteral("sub"));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(tree.root()));
        const double free = DestinationFreeSpace(QStringLiteral("sub"));
        QDir::setCurrent(previous);
        QCOMPARE(free, 0.0);
    }

    void parseMountInfo_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("mountPoint"); // of the one line kept
        QTest::addColumn<QByteArray>("source");
        auto row = [](const char *name, const char *text, const char *point, const char *source) {
            QTest::newRow(name) << QByteArray(text) << QByteArray(point) << QByteArray(source);
        };
        row("plain", "26 1 254:0 / / rw - ext4 /dev/vda rw", "/", "/dev/vda");
        row("escapes", "30 26 8:17 / /m/a\\040b\\134c\\011d rw shared:5 master:2 - vfat /x\\040y o",
            "/m/a b\\c\td", "/x y");
        row("cut escape kept", "30 26 8:17 / /m\\04 rw - vfat s rw", "/m\\04", "s");
        row("bad lines skipped",
            "\n30 26 8:17 / /a rw vfat s rw\n31 26 8 / /b rw - ext4 s rw\n"
            "32 26 8:1 / rel rw - ext4 s rw\n33 26 8:1 / /c rw -\n34 26 8:1 / /d rw - ext4 s o\n",
            "/d", "s");
    }
    void parseMountInfo()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, mountPoint);
        QFETCH(QByteArray, source);
        const QList<MountEntry> mounts = platform::parseMountInfo(text);
        QCOMPARE(mounts.size(), 1);
        QCOMPARE(mounts[0].mountPoint, mountPoint);
        QCOMPARE(mounts[0].source, source);
    }

    void findMount_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("major"); // -1: the path's device is not known
        QTest::addColumn<int>("minor");
        QTest::addColumn<QByteArray>("source"); // empty: no mount
        auto row = [](const char *name, const char *path, int major, int minor, const char *src) {
            QTest::newRow(name) << QByteArray(path) << major << minor << QByteArray(src);
        };
        row("root", "/", -1, 0, "/dev/vda");
        row("whole component", "/homework", -1, 0, "/dev/vda");
        row("mount point itself", "/home", -1, 0, "/dev/vdb");
        row("escaped point", "/home/user/my disk/f", -1, 0, "/dev/sdb1");
        row("last at a point", "/data/f", -1, 0, "/dev/vdd");
        row("longest prefix", "/mnt/a/b/f", -1, 0, "/dev/sdc1");
        row("hidden by a later mount", "/mnt/a/b/f", 0, 40, "srv:/a");
        row("device of no mount", "/mnt/a/b/f", 9, 9, "/dev/sdc1");
        row("relative", "home", -1, 0, "");
    }
    void findMount()
    {
        QFETCH(QByteArray, path);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QByteArray, source);
        const QList<MountEntry> mounts = platform::parseMountInfo(kSampleMounts);
        std::optional<platform::DeviceId> device;
        if (major >= 0)
            device = platform::DeviceId{unsigned(major), unsigned(minor)};
        const qsizetype found = platform::findMount(mounts, path, device);
        QCOMPARE(found >= 0 ? mounts[found].source : QByteArray(), source);
    }

    void driveType_data()
    {
        QTest::addColumn<QByteArray>("fsType");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("expected");
        auto row = [](const char *type, const char *source, int major, int minor,
                      DriveType expected) {
            QTest::addRow("%s %s %d:%d", type, source, major, minor)
                << QByteArray(type) << QByteArray(source) << major << minor << int(expected);
        };
        row("tmpfs", "tmpfs", 0, 22, DriveType::Ram);
        row("ramfs", "none", 0, 23, DriveType::Ram);
        row("devtmpfs", "udev", 0, 5, DriveType::Ram);
        row("nfs4", "srv:/export", 0, 50, DriveType::Remote);
        row("cifs", "//srv/share", 0, 51, DriveType::Remote);
        row("fuse.sshfs", "me@host:", 0, 52, DriveType::Remote);
        row("iso9660", "/dev/sr0", 11, 0, DriveType::CdRom);
        row("udf", "/dev/sr0", 11, 0, DriveType::CdRom);
        row("vfat", "/dev/sdb1", 8, 17, DriveType::Removable); // partition of a stick
        row("ext4", "/dev/sdb", 8, 16, DriveType::Removable);  // the whole stick
        row("ext4", "/dev/sda1", 8, 1, DriveType::Fixed);
        row("btrfs", "/dev/sdb1", 0, 40, DriveType::Removable); // anonymous device number
        row("ext4", "/dev/nvme9n1", 259, 3, DriveType::Fixed);  // unknown to sysfs
        row("zfs", "rpool/home", 0, 55, DriveType::Fixed);
        row("proc", "proc", 0, 20, DriveType::Unknown);
        row("overlay", "overlay", 0, 60, DriveType::Unknown);
    }
    void driveType()
    {
        QFETCH(QByteArray, fsType);
        QFETCH(QByteArray, source);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, expected);
        // A sysfs in miniature: a removable disk sdb with sdb1, a fixed disk sda with sda1.
        TestTree sys;
        sys.writeFile(QStringLiteral("usb/sdb/removable"), "1\n");
        sys.writeFile(QStringLiteral("usb/sdb/sdb1/partition"), "1\n");
        sys.writeFile(QStringLiteral("pci/sda/removable"), "0\n");
        sys.writeFile(QStringLiteral("pci/sda/sda1/partition"), "1\n");
        sys.makeFolder(QStringLiteral("dev/block"));
        sys.makeFolder(QStringLiteral("class/block"));
        const auto link = [&](const char *target, const char *name) {
            QVERIFY(QFile::link(sys.path(QString::fromLatin1(target)),
                                sys.path(QString::fromLatin1(name))));
        };
        link("usb/sdb", "dev/block/8:16");
        link("usb/sdb/sdb1", "dev/block/8:17");
        link("pci/sda/sda1", "dev/block/8:1");
        link("usb/sdb/sdb1", "class/block/sdb1");

        const MountEntry mount{{unsigned(major), unsigned(minor)}, "/mnt", fsType, source};
        QCOMPARE(int(platform::driveTypeOf(mount, QFile::encodeName(sys.root()))), expected);
    }

    void volumeLabel_data()
    {
        QTest::addColumn<QByteArray>("line"); // of the mount table; "@" is the test folder
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("pointName"); // without any label link
        const auto row = [](const char *name, const char *line, const QString &label,
                            const char *point) {
            QTest::newRow(name) << QByteArray(line) << label << QString::fromUtf8(point);
        };
        row("accented", "30 22 8:1 / /mnt/a rw - ext4 @/devA rw", QStringLiteral("Données"), "a");
        row("escaped label", "31 22 8:2 / /mnt/b rw - ext4 @/devB rw", "My Disk", "b");
        row("through a link", "32 22 0:41 / /mnt/c rw - btrfs @/aliasA rw",
            QStringLiteral("Données"), "c");
        row("unlabelled", "33 22 8:3 / /mnt/d rw - ext4 @/devC rw", "d", "d");
        row("root", "22 1 254:0 / / rw - ext4 @/devC rw", "/", "/");
        row("escaped space", "34 22 8:4 / /media/clé\\040usb rw - vfat @/devC rw",
            QStringLiteral("clé usb"), "clé usb");
        row("tmpfs", "35 22 0:30 / /run/user/0 rw - tmpfs tmpfs rw", "0", "0");
        row("tmpfs named as a device", "36 22 0:31 / /mnt/ram rw - tmpfs @/devA rw", "ram", "ram");
        row("network", "37 22 0:50 / /srv/partage rw - nfs4 srv:/export rw", "partage", "partage");
    }
    void volumeLabel()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, label);
        QFETCH(QString, pointName);
        TestTree tree;
        const auto link = [&](const char *target, const QString &name) {
            QFile::link(tree.path(QString::fromLatin1(target)), tree.path(name));
        };
        for (const char *dev : {"devA", "devB", "devC"})
            tree.writeFile(QString::fromLatin1(dev));
        tree.makeFolder(QStringLiteral("by-label"));
        link("devA", QStringLiteral("aliasA"));
        link("gone", QStringLiteral("by-label/Lost"));
        link("devA", QStringLiteral("by-label/Données"));
        link("devB", QStringLiteral("by-label/My\\x20Disk"));

        const QByteArray root = QFile::encodeName(tree.root());
        const QList<MountEntry> mounts = platform::parseMountInfo(line.replace('@', root));
        QCOMPARE(mounts.size(), 1);
        const QByteArray folder = root + "/by-label";
        QCOMPARE(platform::volumeLabelOf(mounts[0], folder), label);
        QCOMPARE(platform::volumeLabelOf(mounts[0], folder + "-missing"), pointName);
    }
};

TANDRIMO_TEST(VolumeTest)
#include "tst_volume.moc"
