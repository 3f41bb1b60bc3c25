#include "assets/helptext.h"

#include "lookup/hosts.h"

#include <QFile>

namespace HelpText {

QString text()
{
    QFile file(QStringLiteral(":/text/helptext.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString help = QString::fromUtf8(file.readAll());
    help.replace(QStringLiteral("${contactAddress}"), Hosts::contactAddress);
    help.replace(QStringLiteral("${exampleIrcIdentity}"), Hosts::exampleIrcIdentity);
    help.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return help;
}

} // namespace HelpText
