#include "app/app_style.h"

#include <QFile>

static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace AppStyle {

namespace {

QString readStyle(const QString& path)
{
    initResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

void initResources()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered)
}

QString applicationStyleSheet()
{
    return readStyle(QStringLiteral(":/style/application.qss"));
}

QString comboBoxStyleSheet()
{
    return readStyle(QStringLiteral(":/style/combobox.qss"));
}

QString tableStyleSheet()
{
    return readStyle(QStringLiteral(":/style/table.qss"));
}

} // namespace AppStyle
