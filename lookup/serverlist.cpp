#include "lookup/serverlist.h"

#include "lookup/hosts.h"

namespace {

struct Server
{
    const QString &host;
    int port; // 0: the server's default port, no ":port" in the entry
};

} // namespace

namespace ServerList {

QStringList entries(const QString &servicePath)
{
    const Server servers[] = {
        {Hosts::groupServer, 6969},     {Hosts::statusServer2, 8080},
        {Hosts::statusServer3, 8000},   {Hosts::statusServer4, 8080},
        {Hosts::statusServer5, 8088},   {Hosts::statusServer6, 0},
        {Hosts::statusServer7, 8383},   {Hosts::statusServer8, 8080},
        {Hosts::statusServer9, 8080},   {Hosts::statusServer10, 2324},
        {Hosts::statusServer11, 8085},  {Hosts::statusServer12, 0},
        {Hosts::statusServer12, 8080},  {Hosts::statusServer14, 82},
    };
    QStringList list;
    for (const Server &server : servers) {
        const QString port = server.port ? QStringLiteral(":%1").arg(server.port) : QString();
        list << server.host + port + QLatin1Char('/') + servicePath;
    }
    return list;
}

} // namespace ServerList
