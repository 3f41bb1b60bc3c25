#include "app/runtimeerrorreport.h"

#include "app/seam.h"
#include "lookup/runtimeerror.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void showMessageBox(const RuntimeError &error)
{
    QMessageBox::critical(nullptr, QApplication::applicationName(),
                          RuntimeErrorReport::text(error));
}

Seam<void(const RuntimeError &)> &presenter()
{
    static Seam<void(const RuntimeError &)> seam(showMessageBox);
    return seam;
}

} // namespace

void RuntimeErrorReport::show(const RuntimeError &error)
{
    presenter()(error);
}

QString RuntimeErrorReport::text(const RuntimeError &error)
{
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description());
}

void RuntimeErrorReport::setPresenter(Presenter newPresenter)
{
    presenter().replace(std::move(newPresenter));
}
