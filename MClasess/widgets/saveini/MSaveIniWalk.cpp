// The walk over a component and all it owns, for a save and for a load.

#include "MIniFile.h"
#include "MSaveIni.h"
#include "MSaveIniClassTable.h"
#include "MSaveIniContent.h"
#include "MSaveIniWindow.h"
#include "MTrace.h"

#include <QPointer>
#include <QWidget>

using saveini::MSaveIniKeys;
using saveini::TComponentKind;

namespace {

using TStep = bool (*)(QObject*, MIniFile*, const QString&);

QString SectionBelow(const QString& section, const QString& name)
{
    return section.isEmpty() ? name : saveini::Joined({section, u"->", name});
}

// Stops at the first failure. Components that a handler deleted during the walk are passed over.
bool WalkEach(const QObjectList& components, TStep step, MIniFile* ini, const QString& section)
{
    QList<QPointer<QObject>> alive;
    alive.reserve(components.size());
    for (QObject* component : components)
        alive.append(component);
    for (const QPointer<QObject>& component : alive)
        if (component && !step(component, ini, section))
            return false;
    return true;
}

// What a component of this kind is walked with after its own values.
QObjectList ContentAfter(QObject* component, TComponentKind kind, const saveini::TClassRow* row)
{
    if (kind != TComponentKind::Control || !row)
        return saveini::OwnedComponents(component);
    return row->Content ? row->Content(component) : QObjectList();
}

}  // namespace

bool ForSaveToFileIni(QObject* component, MIniFile* ini, const QString& section)
{
    if (!component)
        return false;
    if (!ini) {
        TraceError(TraceUnitText, "Unknown error", "ForSaveToFileIni");
        return false;
    }
    if (!saveini::IsComponent(component) || saveini::TagOf(component) == SaveIniTagSkip)
        return true;
    const TComponentKind kind = saveini::KindOf(component);
    const QString own = kind == TComponentKind::Control ? section : SectionBelow(section, component->objectName());
    const MSaveIniKeys keys(*ini, own, component->objectName());

    if (const int tag = saveini::TagOf(component))
        keys.WriteInteger(u"->Tag", tag);
    const saveini::TClassRow* row = nullptr;
    if (kind == TComponentKind::Form) {
        saveini::Notify(component, SaveIniSaveBegins);
        saveini::SaveWindowState(static_cast<QWidget*>(component), keys);
    } else if (kind == TComponentKind::Control) {
        row = saveini::FindClassRow(component);
        if (row)
            row->Save(component, keys);
    }
    if (row && !row->Content)
        return true;

    if (kind == TComponentKind::Frame)
        saveini::Notify(component, SaveIniSaveBegins);
    const bool result = WalkEach(ContentAfter(component, kind, row), ForSaveToFileIni, ini, own);
    if (kind != TComponentKind::Control)
        saveini::Notify(component, SaveIniSaveEnds);
    if (!result)
        TraceError(TraceUnitText, "Unknown error", "ForSaveToFileIni");
    return result;
}

bool ForLoadFromFileIni(QObject* component, MIniFile* ini, const QString& section)
{
    if (!component)
        return false;
    if (!ini) {
        TraceError(TraceUnitText, "Unknown error", "ForLoadFromFileIni");
        return false;
    }
    if (!saveini::IsComponent(component) || saveini::TagOf(component) == SaveIniTagSkip)
        return true;
    const TComponentKind kind = saveini::KindOf(component);
    const QString own = kind == TComponentKind::Control ? section : SectionBelow(section, component->objectName());
    const MSaveIniKeys keys(*ini, own, component->objectName());

    saveini::SetTag(component, keys.ReadInteger(u"->Tag", saveini::TagOf(component)));
    const saveini::TClassRow* row = nullptr;
    if (kind == TComponentKind::Form) {
        saveini::Notify(component, SaveIniLoadBegins);
        saveini::LoadWindowBounds(static_cast<QWidget*>(component), keys);
    } else if (kind == TComponentKind::Control) {
        row = saveini::FindClassRow(component);
        if (row)
            row->Load(component, keys);
    }
    if (row && !row->Content)
        return true;

    if (kind == TComponentKind::Frame)
        saveini::Notify(component, SaveIniLoadBegins);
    const bool result = WalkEach(ContentAfter(component, kind, row), ForLoadFromFileIni, ini, own);
    if (kind != TComponentKind::Control)
        saveini::Notify(component, SaveIniLoadEnds);
    return result;
}
