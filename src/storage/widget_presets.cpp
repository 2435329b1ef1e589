// Preset files of the editor state (members of Widget): Save As, Save and Load.
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "storage/preset_file.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

// The dialogs are the toolkit's own, not the system's, so they look and behave the same
// everywhere.

namespace {

// The form's combo box of that name; the window's dialogs have form objects of their own.
QComboBox* formBox(QWidget* window, const QString& key)
{
    const auto boxes = window->findChildren<QComboBox*>(key);
    for (QComboBox* box : boxes)
        if (box->window() == window)
            return box;
    return nullptr;
}

} // namespace

void Widget::save_as_DataToIniFile()
{
    presetFilePath = QFileDialog::getSaveFileName(this, tr("Save configuration"), QString(),
                                                  tr("configuration files (*.ini)"), nullptr,
                                                  QFileDialog::DontUseNativeDialog);
    if (presetFilePath.isEmpty()) {
        QMessageBox::warning(this, tr("Warning"), tr("No file selected!"));
        return;
    }
    if (writePresetFile(true, presetFilePath))
        QMessageBox::information(this, tr("Success"), tr("Configuration file saved successfully."));
}

void Widget::saveDataToIniFile()
{
    if (presetFilePath.isEmpty()) {
        save_as_DataToIniFile();
        return;
    }
    presetFilePath = QFileDialog::getSaveFileName(this, tr("Save configuration"), QString(),
                                                  tr("Configuration files (*.ini)"), nullptr,
                                                  QFileDialog::DontUseNativeDialog);
    if (presetFilePath.isEmpty()) {
        QMessageBox::warning(this, tr("Warning"), tr("No file selected!"));
        return;
    }
    writePresetFile(false, presetFilePath); // tells the user only when writing failed
}

bool Widget::writePresetFile(bool saveAs, const QString& chosenName)
{
    const QString path = PresetFile::withIniSuffix(chosenName);
    const bool written = PresetFile::write(
        path, saveAs ? PresetFile::Variant::SaveAs : PresetFile::Variant::Save, [this](const QString& key) {
            const QComboBox* box = formBox(this, key);
            return box ? box->currentIndex() : 0;
        });
    if (!written) {
        qCDebug(lcStorage) << "preset write failed:" << path;
        QMessageBox::warning(
            this, tr("Warning"),
            tr("The configuration file could not be written:\n%1").arg(QDir::toNativeSeparators(path)));
    }
    return written;
}

void Widget::loadDataFromIniFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Load configuration"), QString(),
                                                      tr("configuration files (*.ini)"), nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;

    PresetFile::Controls controls;
    controls.count = [this](const QString& key) {
        const QComboBox* box = formBox(this, key);
        return box ? box->count() : 0;
    };
    controls.currentIndex = [this](const QString& key) {
        const QComboBox* box = formBox(this, key);
        return box ? box->currentIndex() : -1;
    };
    controls.setCurrentIndex = [this](const QString& key, int index) {
        if (QComboBox* box = formBox(this, key))
            box->setCurrentIndex(index); // fires the page handlers: pages switch, curves redraw
    };

    const PresetFile::LoadResult result = PresetFile::load(path, controls);
    if (!result.readable) {
        QMessageBox::warning(
            this, tr("Warning"),
            tr("The file is not a configuration file that can be read:\n%1\nNothing was loaded.")
                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!result.skipped.isEmpty()) {
        QMessageBox::warning(
            this, tr("Warning"),
            tr("These values lie outside the lists of their controls and were not loaded:\n%1")
                .arg(result.skipped.join(QStringLiteral(", "))));
    }
}

void Widget::on_saveButton_clicked()
{
    saveDataToIniFile();
}

void Widget::on_openButton_clicked()
{
    loadDataFromIniFile();
}
