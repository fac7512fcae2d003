#include "services/AdapterPorts.h"

#include <QDir>

#include <algorithm>

QStringList AdapterPortPaths()
{
    QStringList ports;
#ifndef _WIN32
    for (const QString& prefix : {QStringLiteral("ttyUSB"), QStringLiteral("ttyACM")}) {
        QStringList names = QDir(QStringLiteral("/dev")).entryList({prefix + QLatin1Char('*')}, QDir::System);
        std::sort(names.begin(), names.end(), [&prefix](const QString& a, const QString& b) {
            return a.mid(prefix.size()).toInt() < b.mid(prefix.size()).toInt();
        });
        for (const QString& name : names)
            ports << QStringLiteral("/dev/") + name;
    }
#endif
    return ports;
}
