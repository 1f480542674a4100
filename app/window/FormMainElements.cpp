// The window's part in the elements of the symbols: the Elements view, the choices made in it,
// kept per file in the settings file, and the note on guessed elements.

#include <QLabel>

#include <exception>

#include "ElementChoiceMemory.h"
#include "ElementsView.h"
#include "FormMain_.h"
#include "FrameBmp_.h"
#include "MSaveIniComponent.h"
#include "MSaveIniFileName.h"

namespace {

// The settings file of the window (its code: beside the executable, or the user's folder).
QString SettingsFile() { return SaveIniFileName(QStringLiteral("0|2")); }

constexpr const char* ChooseHint = " (choose others in Elements..., Ctrl+E)";

}  // namespace

void TFormMain::SpeedButtonElementsClick(QObject*)
{
    if (elementsView_ == nullptr) {
        elementsView_ = new ElementsView(this);
        // The view's lists are not the window's state: the choices are kept per file instead.
        saveini::SetTag(elementsView_, SaveIniTagSkip);
        connect(elementsView_, &ElementsView::ElementChosen, this,
                [this](const QByteArray& symbol, const QByteArray& element) { ChooseElement(symbol, element); });
        elementsView_->ShowSymbols(pipeline_.Symbols(), pipeline_.Model().LAtom, pipeline_.SymbolAtomsNotListed());
    }
    elementsView_->show();
    elementsView_->raise();
    elementsView_->activateWindow();
}

void TFormMain::RecallElementChoices(const QString& fileName)
{
    openFileName_ = fileName;
    // Choices a table of other elements cannot follow are dropped: the rules decide.
    if (!pipeline_.SetElementMap(RecallElementChoicesOfFile(SettingsFile(), fileName)).empty())
        (void)pipeline_.SetElementMap({});
}

void TFormMain::ShowSymbolsRead()
{
    if (elementsView_ != nullptr)
        elementsView_->ShowSymbols(pipeline_.Symbols(), pipeline_.Model().LAtom, pipeline_.SymbolAtomsNotListed());
    const std::string guessed = GuessedElementsNote(pipeline_.Symbols(), pipeline_.Model().LAtom);
    const QString note = guessed.empty() ? QString() : QString::fromStdString(guessed + ChooseHint);
    // No guess takes away only a note of guesses: a note of the frame stays.
    if (!note.isEmpty() || noteShown_ == elementsNote_)
        ShowNote(note);
    elementsNote_ = note;
}

void TFormMain::ChooseElement(const QByteArray& symbol, const QByteArray& element)
{
    ElementMap map = pipeline_.ElementChoices();
    if (element.isEmpty())
        map.erase(symbol.toStdString());
    else
        map.insert_or_assign(symbol.toStdString(), element.toStdString());
    // A platform error (a step of the cell that does not convert, out of memory) ends this
    // handler only, as it ends the others.
    try {
        if (const std::string refused = pipeline_.SetElementMap(map); !refused.empty()) {
            dialogs_.ShowMessage(this, QString::fromStdString(refused));
            return;
        }
        (void)pipeline_.RereadFrame();
        ShowSymbolsRead();
        if (!openFileName_.isEmpty()) {
            const MFileSaveResult kept = RememberElementChoicesOfFile(SettingsFile(), openFileName_, map);
            if (!kept.saved)
                ShowNote(QString::fromStdString("The elements chosen are not kept for the next time: " + kept.reason));
        }
        const StickFactors factors = pipeline_.Rebuild(ReadStickControls(), ReadTranslationCell(), ReadAngles());
        ShowScene();
        TellWhySticksAreMissing(factors);
        TellDrawingProblem();
    } catch (const std::exception& error) {
        dialogs_.ShowError(this, QString::fromStdString(error.what()));
    }
}
