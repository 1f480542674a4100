#ifndef PELMORA_APP_WINDOW_FORMMAINDIALOGS_H
#define PELMORA_APP_WINDOW_FORMMAINDIALOGS_H

// The one seam between the main window and the people in front of it: the file dialogs and the
// message boxes. The window asks through these functions only, so that tests answer them
// instead of a person; Standard() gives the real dialogs.

#include <QString>

#include <functional>

class QWidget;

struct TFormMainDialogs {
    // The file to open or to save to; an empty text when the user cancels. The open dialog starts
    // in `start` (a folder); the save dialogs suggest `start` (a folder, or a file name in one).
    std::function<QString(QWidget* parent, const QString& start)> AskOpenFileName;
    std::function<QString(QWidget* parent, const QString& start)> AskSaveFileName;
    // A picture file: PNG, JPEG, BMP or GIF by its extension.
    std::function<QString(QWidget* parent, const QString& start)> AskSavePictureName;
    // A plain message box with an OK button: the messages about input files.
    std::function<void(QWidget* parent, const QString& text)> ShowMessage;
    // A critical message box: the platform's errors (a missing file, a number that does not
    // convert, a file that cannot be written), which end only the running handler.
    std::function<void(QWidget* parent, const QString& text)> ShowError;

    static TFormMainDialogs Standard();
    // Questions answered with nothing and messages shown nowhere: for runs with no one at the
    // screen (tests and benchmarks of the window).
    static TFormMainDialogs Silent();
};

// The filters of the dialogs: XYZ files, SVG drawings or pictures, or any file. Packed XYZ files
// have a filter of their own between the plain ones and any file.
inline constexpr const char* OpenDialogFilter =
    "*.xyz (*.xyz);;Packed *.xyz (*.xyz.gz *.xyz.bz2 *.xyz.xz);;*.* (*)";
inline constexpr const char* SaveDialogFilter = "*.svg (*.svg);;*.* (*)";
inline constexpr const char* SavePictureDialogFilter =
    "PNG (*.png);;JPEG (*.jpg *.jpeg);;BMP (*.bmp);;GIF (*.gif);;*.* (*)";

#endif
