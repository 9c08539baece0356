// The panel's own network settings: read from the interfaces file and the boot command line at
// start-up, offered to the network screen, written back to the interfaces file. Nothing applies
// until the panel restarts its network (a reboot).
#include <QCoreApplication>
#include <QDebug>

#include <chrono>
#include <thread>

#include "commandRunner.h"
#include "mainControl.h"
#include "networkConfig.h"
#include "panelState.h"
#include "systemFiles.h"

namespace {

constexpr auto kMountSettle = std::chrono::milliseconds(1000);
constexpr auto kSyncSettle = std::chrono::milliseconds(500);

void syncTwiceAndSettle() {
    platform::runCommand("sync");
    platform::runCommand("sync");
    std::this_thread::sleep_for(kSyncSettle);
}

// The backup of the interfaces file holds the fresh default setup until someone replaces it.
void ensureInterfacesBackup() {
    if (platform::systemFileExists(netconfig::kInterfacesBackup)) {
        return;
    }
    platform::writeSystemFileAtomically(netconfig::kInterfacesBackup,
                                        netconfig::defaultInterfacesText());
    syncTwiceAndSettle();
}

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void mainControl::readPanelNetworkSettings() {
    const auto interfaces = platform::readSystemFile(netconfig::kInterfacesFile);
    const netconfig::interfacesSettings read =
        netconfig::parseInterfacesText(interfaces.value_or(std::string()));
    if (!interfaces) {
        qDebug() << "cannot read" << netconfig::kInterfacesFile;
    }
    zek710ADHCPMODE = read.dhcp;
    if (!read.dhcp && netconfig::isDottedQuad(read.address)) {
        udpsocketBindAddress = QHostAddress(qText(read.address));
    } else if (!read.dhcp && !read.address.empty()) {
        qDebug() << "address in" << netconfig::kInterfacesFile
                 << "not taken:" << qText(read.address)
                 << QString::fromStdString(netconfig::dottedQuadFault(read.address));
    }
    zek710AGATEADD = qText(read.gateway);
    zek710AMASKADD = qText(read.netmask);
    zek710APRIDNS = qText(read.dns1);
    zek710ASECDNS = qText(read.dns2);
    systemNetSettings copies;
    copies.systemDhcpmode = read.dhcp;
    copies.systemIp = read.address;
    copies.systemGateway = read.gateway;
    copies.systemMask = read.netmask;
    copies.systemPdns = read.dns1;
    copies.systemSdns = read.dns2;
    setSystemNetwork(copies);

    // The MAC address lives on the boot partition.
    // The mount has returned when the command has; the settle time is only waited out when the
    // file is not readable yet.
    platform::runCommand("sudo mount /dev/mmcblk0p1 /boot");
    platform::runCommand("sync");
    auto commandLine = platform::readSystemFile(netconfig::kBootCommandLine);
    if (!commandLine) {
        std::this_thread::sleep_for(kMountSettle);
        commandLine = platform::readSystemFile(netconfig::kBootCommandLine);
    }
    zek710AMACADD = qText(netconfig::macOfCommandLine(commandLine.value_or(std::string())));
}

QString mainControl::getZEK710AIPADDR() const {
    return udpsocketBindAddress.toString();
}

bool mainControl::getZEK710ADHCPMODE() const {
    return zek710ADHCPMODE;
}

QString mainControl::getZEK710AHOSTNAME() const {
    return QStringLiteral("ZEK-710A");
}

QString mainControl::getZEK710AMACADD() const {
    return zek710AMACADD;
}

QString mainControl::getZEK710AGATEADD() const {
    return zek710AGATEADD;
}

QString mainControl::getZEK710AMASKADD() const {
    return zek710AMASKADD;
}

QString mainControl::getZEK710APRIDNS() const {
    return zek710APRIDNS;
}

QString mainControl::getZEK710ASECDNS() const {
    return zek710ASECDNS;
}

void mainControl::setZEK710AIPADDR(const QString& address) {
    zekOldIP = udpsocketBindAddress.toString();
    // Address parsers take "10.1" for 10.0.0.1 and "010" for 8: only the plain form is taken. A
    // refused one leaves no address, so a save refuses too instead of writing another address.
    const std::string fault = netconfig::dottedQuadFault(address.toStdString());
    if (!fault.empty()) {
        qDebug() << "panel address" << address << "refused:" << QString::fromStdString(fault);
        udpsocketBindAddress = QHostAddress();
        return;
    }
    udpsocketBindAddress = QHostAddress(address);
}

void mainControl::setZEK710ADHCPMODE(bool on) {
    if (zek710ADHCPMODE != on) {
        zek710ADHCPMODE = on;
        emit zek710ADHCPMODEChanged();
    }
}

void mainControl::setZEK710AHOSTNAME(const QString& name) {
    Q_UNUSED(name);  // the panel's host name is fixed
}

void mainControl::setZEK710AMACADD(const QString& mac) {
    Q_UNUSED(mac);  // the MAC changes only through the configuration service
}

void mainControl::setZEK710AGATEADD(const QString& gateway) {
    zek710AGATEADD = gateway;
}

void mainControl::setZEK710AMASKADD(const QString& netmask) {
    zek710AMASKADD = netmask;
}

void mainControl::setZEK710APRIDNS(const QString& dns) {
    zek710APRIDNS = dns;
}

void mainControl::setZEK710ASECDNS(const QString& dns) {
    zek710ASECDNS = dns;
}

namespace {

// The file side of a save, on the background thread: the old file's other interfaces stay.
bool writeInterfacesFile(const netconfig::interfacesSettings& setup) {
    ensureInterfacesBackup();
    const auto oldText = platform::readSystemFile(netconfig::kInterfacesFile);
    if (!oldText) {
        qDebug() << "cannot read" << netconfig::kInterfacesFile << "- network settings not saved";
        return false;
    }
    // Logged up to the eth0 line, the part of the old file that stays.
    std::size_t start = 0;
    while (start < oldText->size()) {
        const std::size_t end = oldText->find('\n', start);
        const std::string line = oldText->substr(start, end - start);
        qDebug() << "file read:" << qText(line);
        if (line.find("eth0 inet") != std::string::npos || end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    const bool written = platform::writeSystemFileAtomically(
        netconfig::kInterfacesFile, netconfig::rewrittenInterfacesText(*oldText, setup));
    if (!written) {
        qDebug() << "cannot replace" << netconfig::kInterfacesFile
                 << "- network settings not saved";
    }
    syncTwiceAndSettle();
    qDebug() << "End NetConfig";
    return written;
}

}  // namespace

bool mainControl::saveZEK710ANetConfig() {
    netconfig::interfacesSettings setup;
    setup.dhcp = zek710ADHCPMODE;
    setup.address = udpsocketBindAddress.protocol() == QAbstractSocket::IPv4Protocol
                        ? udpsocketBindAddress.toString().toStdString()
                        : std::string();
    setup.gateway = zek710AGATEADD.trimmed().toStdString();
    setup.netmask = zek710AMASKADD.trimmed().toStdString();
    setup.dns1 = zek710APRIDNS.trimmed().toStdString();
    setup.dns2 = zek710ASECDNS.trimmed().toStdString();
    if (!setup.dhcp) {
        // A value that is not an address would break the file for the next start of the network.
        const std::pair<const char*, const std::string*> values[] = {
            {"address", &setup.address},
            {"gateway", &setup.gateway},
            {"netmask", &setup.netmask},
            {"primary DNS", &setup.dns1},
            {"secondary DNS", &setup.dns2}};
        for (const auto& [name, value] : values) {
            const bool required = value == &setup.address;
            if ((required || !value->empty()) && !netconfig::isDottedQuad(*value)) {
                qDebug() << "network settings not saved:" << name << qText(*value)
                         << "is not an IPv4 address:"
                         << QString::fromStdString(netconfig::dottedQuadFault(*value));
                emit networkSaveFinished(false);
                return false;
            }
        }
    }
    const bool started = longOperation.start([this, setup]() -> backgroundTask::report {
        const bool written = writeInterfacesFile(setup);
        return [this, written] { emit networkSaveFinished(written); };
    });
    if (!started) {
        qDebug() << "network settings not saved: another operation is under way";
        emit networkSaveFinished(false);
    }
    return started;
}

void mainControl::resetZEK710Network() {
    const bool started = longOperation.start([this]() -> backgroundTask::report {
        ensureInterfacesBackup();
        // Restored beside the file and renamed over it, so a power cut leaves a whole file.
        const auto backup = platform::readSystemFile(netconfig::kInterfacesBackup);
        bool written = false;
        if (backup) {
            written = platform::writeSystemFileAtomically(netconfig::kInterfacesFile, *backup);
            if (!written) {
                qDebug() << "cannot replace" << netconfig::kInterfacesFile;
            }
        } else {
            qDebug() << "cannot read" << netconfig::kInterfacesBackup;
        }
        syncTwiceAndSettle();
        return [this, written] {
            if (written) {
                emit popMessage(
                    98, QCoreApplication::translate("mainControl", "Please reboot ZEK710A"));
            } else {
                emit popMessage(
                    0, QCoreApplication::translate(
                           "mainControl",
                           "The network settings could not be reset.\nNothing was changed."));
            }
        };
    });
    if (!started) {
        emit popMessage(
            0, QCoreApplication::translate("mainControl", "The panel is busy.\nPlease try again."));
    }
}
