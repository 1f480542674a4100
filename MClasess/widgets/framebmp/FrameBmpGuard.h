#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPGUARD_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPGUARD_H

#include "MTrace.h"

#include <QObject>

namespace framebmp {

// Runs a handler body that Qt called: Qt must never see an exception leave a slot or an event
// handler, so a failure ends only this handler and is posted.
template <class Body>
void RunGuarded(const QObject* owner, const char* method, Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
        try {
            TraceError(owner->objectName().toStdString(), "Unknown error", method);
        } catch (...) {
        }
    }
}

}  // namespace framebmp

#endif
