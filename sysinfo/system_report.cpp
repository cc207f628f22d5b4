#include "system_report.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace {

QString readFirstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

// "key : value" lines of a /proc file, first occurrence of each key.
QHash<QString, QString> readProcFields(const QString &path)
{
    QHash<QString, QString> fields;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fields;
    QTextStream in(&file);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const int colon = int(line.indexOf(QLatin1Char(':')));
        if (colon <= 0)
            continue;
        const QString key = line.left(colon).trimmed();
        if (!fields.contains(key))
            fields.insert(key, line.mid(colon + 1).trimmed());
    }
    return fields;
}

qint64 kibibytes(const QString &meminfoValue)
{
    return meminfoValue.section(QLatin1Char(' '), 0, 0).toLongLong() * 1024;
}

ReportSection systemSection()
{
    ReportSection s{QStringLiteral("System"), {}};
    s.items.append({QStringLiteral("Operating system"), QSysInfo::prettyProductName()});
    s.items.append({QStringLiteral("Kernel"),
                    QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion()});
    const QString procVersion = readFirstLine(QStringLiteral("/proc/version"));
    if (!procVersion.isEmpty())
        s.items.append({QStringLiteral("Kernel build"), procVersion});
    s.items.append({QStringLiteral("Architecture"), QSysInfo::currentCpuArchitecture()});
    s.items.append({QStringLiteral("Host name"), QSysInfo::machineHostName()});
    const QString uptime = readFirstLine(QStringLiteral("/proc/uptime")).section(QLatin1Char(' '), 0, 0);
    if (!uptime.isEmpty()) {
        const qint64 seconds = qint64(uptime.toDouble());
        s.items.append({QStringLiteral("Up time"), QStringLiteral("%1 h %2 min")
                                                         .arg(seconds / 3600)
                                                         .arg(seconds / 60 % 60)});
    }
    return s;
}

ReportSection processorSection()
{
    ReportSection s{QStringLiteral("Processor"), {}};
    const auto cpu = readProcFields(QStringLiteral("/proc/cpuinfo"));
    QString model = cpu.value(QStringLiteral("model name"));
    if (model.isEmpty())
        model = cpu.value(QStringLiteral("Model"), cpu.value(QStringLiteral("Hardware")));
    s.items.append({QStringLiteral("Model"), model.isEmpty() ? QStringLiteral("unknown") : model});
    s.items.append({QStringLiteral("Logical cores"), QString::number(QThread::idealThreadCount())});
    if (cpu.contains(QStringLiteral("cpu cores")))
        s.items.append({QStringLiteral("Physical cores per package"), cpu.value(QStringLiteral("cpu cores"))});
    return s;
}

ReportSection memorySection()
{
    ReportSection s{QStringLiteral("Memory"), {}};
    const auto mem = readProcFields(QStringLiteral("/proc/meminfo"));
    const auto add = [&](const QString &label, const QString &key) {
        if (mem.contains(key))
            s.items.append({label, SystemReport::formatBytes(kibibytes(mem.value(key)))});
    };
    add(QStringLiteral("Total"), QStringLiteral("MemTotal"));
    add(QStringLiteral("Available"), QStringLiteral("MemAvailable"));
    add(QStringLiteral("Swap total"), QStringLiteral("SwapTotal"));
    add(QStringLiteral("Swap free"), QStringLiteral("SwapFree"));
    return s;
}

ReportSection disksSection()
{
    ReportSection s{QStringLiteral("Disks"), {}};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || volume.bytesTotal() <= 0)
            continue;
        s.items.append({volume.rootPath(),
                        QStringLiteral("%1 free of %2 (%3, %4)")
                            .arg(SystemReport::formatBytes(volume.bytesAvailable()),
                                 SystemReport::formatBytes(volume.bytesTotal()),
                                 QString::fromUtf8(volume.fileSystemType()),
                                 QString::fromUtf8(volume.device()))});
    }
    return s;
}

ReportSection displaySection()
{
    ReportSection s{QStringLiteral("Display"), {}};
    s.items.append({QStringLiteral("Platform"), QGuiApplication::platformName()});
    int n = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QSize px = screen->size() * screen->devicePixelRatio();
        s.items.append({QStringLiteral("Screen %1").arg(++n),
                        QStringLiteral("%1 x %2 pixels, %3 bits, %4 dpi%5")
                            .arg(px.width())
                            .arg(px.height())
                            .arg(screen->depth())
                            .arg(qRound(screen->logicalDotsPerInch()))
                            .arg(screen->name().isEmpty() ? QString()
                                                          : QStringLiteral(" (%1)").arg(screen->name()))});
    }
    return s;
}

ReportSection softwareSection()
{
    ReportSection s{QStringLiteral("Software"), {}};
    s.items.append({QStringLiteral("Qt"), QString::fromLatin1(qVersion())});
    s.items.append({QStringLiteral("Qt WebEngine"), QString::fromLatin1(qWebEngineVersion())});
    s.items.append({QStringLiteral("Chromium"), QString::fromLatin1(qWebEngineChromiumVersion())});
    return s;
}

} // namespace

namespace SystemReport {

QList<ReportSection> gather()
{
    return {systemSection(), processorSection(), memorySection(),
            disksSection(),  displaySection(),   softwareSection()};
}

QString toText(const QList<ReportSection> &sections)
{
    QString text;
    for (const ReportSection &section : sections) {
        text += section.title + QLatin1Char('\n');
        for (const auto &item : section.items)
            text += QStringLiteral("  %1: %2\n").arg(item.first, item.second);
        text += QLatin1Char('\n');
    }
    return text;
}

QString formatBytes(qint64 bytes)
{
    static const char *units[] = {"bytes", "KiB", "MiB", "GiB", "TiB", "PiB"};
    double value = double(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 5) {
        value /= 1024;
        ++unit;
    }
    return unit == 0 ? QStringLiteral("%1 bytes").arg(bytes)
                     : QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

} // namespace SystemReport
