#include "FormMainDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

TFormMainDialogs TFormMainDialogs::Standard()
{
    TFormMainDialogs dialogs;
    dialogs.AskOpenFileName = [](QWidget* parent, const QString& start) {
        return QFileDialog::getOpenFileName(parent, QCoreApplication::translate("TFormMain", "Open"), start,
                                            OpenDialogFilter);
    };
    dialogs.AskSaveFileName = [](QWidget* parent, const QString& start) {
        // The extension is added by the save step when the name has none, so the dialog adds none.
        return QFileDialog::getSaveFileName(parent, QCoreApplication::translate("TFormMain", "Save SVG"), start,
                                            SaveDialogFilter);
    };
    dialogs.AskSavePictureName = [](QWidget* parent, const QString& start) {
        return QFileDialog::getSaveFileName(parent, QCoreApplication::translate("TFormMain", "Save picture"), start,
                                            SavePictureDialogFilter);
    };
    dialogs.ShowMessage = [](QWidget* parent, const QString& text) {
        QMessageBox::information(parent, QGuiApplication::applicationDisplayName(), text);
    };
    dialogs.ShowError = [](QWidget* parent, const QString& text) {
        QMessageBox::critical(parent, QGuiApplication::applicationDisplayName(), text);
    };
    return dialogs;
}

TFormMainDialogs TFormMainDialogs::Silent()
{
    TFormMainDialogs dialogs;
    dialogs.AskOpenFileName = [](QWidget*, const QString&) { return QString(); };
    dialogs.AskSaveFileName = [](QWidget*, const QString&) { return QString(); };
    dialogs.AskSavePictureName = [](QWidget*, const QString&) { return QString(); };
    dialogs.ShowMessage = [](QWidget*, const QString&) {};
    dialogs.ShowError = [](QWidget*, const QString&) {};
    return dialogs;
}
