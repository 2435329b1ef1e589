#include "upgrade/upgrade_message_dialog.h"
#include "ui_upgrade_message_dialog.h"

#include <QMessageBox>

Upgrade_message_Dialog::Upgrade_message_Dialog(QWidget* parent) : QDialog(parent), ui(new Ui::Upgrade_message_Dialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

Upgrade_message_Dialog::~Upgrade_message_Dialog()
{
    delete ui;
}

void Upgrade_message_Dialog::rec_mtd_version(QString MTD, QString version)
{
    ui->textBrowser->append(tr("Product Model:") + MTD);
    ui->textBrowser->append(QStringLiteral("\n"));
    ui->textBrowser->append(tr("Version:") + version);
}

void Upgrade_message_Dialog::rec_possvalue(int value)
{
    ui->progressBar->setValue(value);
}

void Upgrade_message_Dialog::upgrade_done()
{
    QMessageBox::information(nullptr, tr("upgrade"), tr("Upgrade successful, please power on the device again."));
    ui->textBrowser->clear();
    ui->progressBar->setValue(0);
    hide();
}
