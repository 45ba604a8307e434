#include "serial/port_names.h"

#include <QDir>
#include <QRegularExpression>

namespace PortNames {

static const QString kPrefix = QStringLiteral("\\\\.\\");

QString display(const QString& name) {
    return name.startsWith(kPrefix) ? name.mid(4) : name;
}

QString device(const QString& name) {
#ifdef Q_OS_WIN
    return name;
#else
    static const QRegularExpression comName(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto m = comName.match(name);
    if (!m.hasMatch())
        return name;
    const int n = m.captured(1).toInt();
    const QString dir = qEnvironmentVariable("ALVENTO_COM_DIR");
    if (!dir.isEmpty() && QDir(dir).exists())
        return QDir(dir).filePath(QStringLiteral("COM%1").arg(n));
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

QString stored(int number) {
    if (number >= 1 && number <= 8)
        return QStringLiteral("COM%1").arg(number);
    return numbered(number);
}

QString numbered(int number) {
    return kPrefix + QStringLiteral("COM%1").arg(number);
}

} // namespace PortNames
