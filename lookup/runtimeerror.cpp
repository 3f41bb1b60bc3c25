#include "lookup/runtimeerror.h"

namespace {

RuntimeErrors::Handler &handler()
{
    static RuntimeErrors::Handler installed;
    return installed;
}

} // namespace

RuntimeError::RuntimeError(int number, const QString &description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
{
}

RuntimeError RuntimeError::invalidPropertyValue()
{
    return RuntimeError(380, QStringLiteral("Invalid property value"));
}

RuntimeError RuntimeError::fileNotFound()
{
    return RuntimeError(53, QStringLiteral("File not found"));
}

RuntimeError RuntimeError::internal(const std::exception &error)
{
    return RuntimeError(51, QString::fromLocal8Bit(error.what()));
}

namespace RuntimeErrors {

void setHandler(Handler newHandler)
{
    handler() = std::move(newHandler);
}

void raise(const RuntimeError &error)
{
    if (handler())
        handler()(error);
}

} // namespace RuntimeErrors
