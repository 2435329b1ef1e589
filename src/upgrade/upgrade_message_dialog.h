#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class Upgrade_message_Dialog;
}

// A small progress window for the automatic upgrade: the reported model and release,
// a progress bar, and the closing success notice. The main window feeds it through
// its send_mtd_version, send_possvalue and done signals.
class Upgrade_message_Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Upgrade_message_Dialog(QWidget* parent = nullptr);
    ~Upgrade_message_Dialog() override;

    Ui::Upgrade_message_Dialog* ui = nullptr;

public slots:
    void rec_mtd_version(QString MTD, QString version);
    void rec_possvalue(int value);
    void upgrade_done();
};
