// The walk over a component and all it owns. One walk serves a save and a load: the direction
// decides only whether the keys it binds are written or read and which codes forms and frames
// are told.

#include "MIniFile.h"
#include "MSaveIni.h"
#include "MSaveIniBinder.h"
#include "MSaveIniClassTable.h"
#include "MSaveIniContent.h"
#include "MSaveIniWindow.h"
#include "MTrace.h"

#include <QPointer>
#include <QWidget>

using saveini::MSaveIniBinder;
using saveini::MSaveIniKeys;
using saveini::TComponentKind;
using saveini::TDirection;

namespace {

struct TWalkDirection {
    TDirection direction;
    MSaveIniCode begins;
    MSaveIniCode ends;
    const char* routine;  // named in the trace when the walk fails
};

constexpr TWalkDirection kSave{TDirection::Save, SaveIniSaveBegins, SaveIniSaveEnds, "ForSaveToFileIni"};
constexpr TWalkDirection kLoad{TDirection::Load, SaveIniLoadBegins, SaveIniLoadEnds, "ForLoadFromFileIni"};

QString SectionBelow(const QString& section, const QString& name)
{
    return section.isEmpty() ? name : saveini::Joined({section, u"->", name});
}

// A tag other than 0 is stored; a load sets the tag it reads.
void BindTag(QObject* component, const MSaveIniBinder& keys)
{
    const int tag = saveini::TagOf(component);
    keys.WrittenOnlyIf(tag != 0).Key(u"->Tag", tag, [component](int read) { saveini::SetTag(component, read); });
}

// What a component of this kind is walked with after its own values.
QObjectList ContentAfter(QObject* component, TComponentKind kind, const saveini::TClassRow* row)
{
    if (kind != TComponentKind::Control || !row)
        return saveini::OwnedComponents(component);
    return row->Content ? row->Content(component) : QObjectList();
}

bool Walk(QObject* component, MIniFile* ini, const QString& section, const TWalkDirection& way);

// Stops at the first failure. Components that a handler deleted during the walk are passed over.
bool WalkEach(const QObjectList& components, MIniFile* ini, const QString& section, const TWalkDirection& way)
{
    QList<QPointer<QObject>> alive;
    alive.reserve(components.size());
    for (QObject* component : components)
        alive.append(component);
    for (const QPointer<QObject>& component : alive)
        if (component && !Walk(component, ini, section, way))
            return false;
    return true;
}

bool Walk(QObject* component, MIniFile* ini, const QString& section, const TWalkDirection& way)
{
    if (!component)
        return false;
    if (!ini) {
        TraceError(TraceUnitText, "Unknown error", way.routine);
        return false;
    }
    if (!saveini::IsComponent(component) || saveini::TagOf(component) == SaveIniTagSkip)
        return true;
    const TComponentKind kind = saveini::KindOf(component);
    const QString own = kind == TComponentKind::Control ? section : SectionBelow(section, component->objectName());
    const MSaveIniBinder keys(way.direction, MSaveIniKeys(*ini, own, component->objectName()));

    BindTag(component, keys);
    const saveini::TClassRow* row = nullptr;
    if (kind == TComponentKind::Form) {
        saveini::Notify(component, way.begins);
        saveini::BindWindowState(static_cast<QWidget*>(component), keys);
    } else if (kind == TComponentKind::Control) {
        row = saveini::FindClassRow(component);
        if (row)
            row->Bind(component, keys);
    }
    if (row && !row->Content)
        return true;

    if (kind == TComponentKind::Frame)
        saveini::Notify(component, way.begins);
    const bool result = WalkEach(ContentAfter(component, kind, row), ini, own, way);
    if (kind != TComponentKind::Control)
        saveini::Notify(component, way.ends);
    if (!result)
        TraceError(TraceUnitText, "Unknown error", way.routine);
    return result;
}

}  // namespace

bool ForSaveToFileIni(QObject* component, MIniFile* ini, const QString& section)
{
    return Walk(component, ini, section, kSave);
}

bool ForLoadFromFileIni(QObject* component, MIniFile* ini, const QString& section)
{
    return Walk(component, ini, section, kLoad);
}
