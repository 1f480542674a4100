// Sync groups: frames that follow each other's zoom and centre, point marks and cursor.
//
// A listener A keeps, per kind, a list of partner frames and hooks its handler of that kind into
// each partner's event list. When a partner S raises the event, A brings every other frame of
// its list that is in S's group in step with S; the sender itself is always skipped, so a change
// never echoes back. Each handler has a busy guard against the events its own copies raise.

#include "FrameBmpFlagGuard.h"
#include "FrameBmp_.h"
#include "MTrace.h"

#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

using framebmp::TFlagGuard;

namespace {

enum TSyncKind { KindScale = 0, KindLPoint = 1, KindCursor = 2 };

}  // namespace

int TFrameBmp::SyncGroup() const { return UpDownSyncGroup->value(); }

void TFrameBmp::ScaleCopyFrom(TFrameBmp* source)
{
    if (source == nullptr)
        return;
    // The ratio of the fits first: frames whose fits are equal (or differ by a power of two) then
    // take the source's zoom exactly, and stand at the same bar position as the source.
    const double sourceFit = source->GetScaleFit();
    const double r = sourceFit == 0 ? 0.0 : source->Scale * (GetScaleFit() / sourceFit);
    if (r > 0)
        SetScale(r);
    // Positions as the same fraction of each bar; in 64 bits, as large pictures overflow 32.
    const auto follow = [](QScrollBar* target, const QScrollBar* from) {
        if (from->maximum() == 0)
            return;
        const std::int64_t position = static_cast<std::int64_t>(target->maximum()) * from->value() / from->maximum();
        target->setValue(static_cast<int>(position));
    };
    follow(ScrollBarX, source->ScrollBarX);
    follow(ScrollBarY, source->ScrollBarY);
}

void TFrameBmp::OnAfterScaleChangeFrameSync(TFrameBmp* sender)
{
    if (!LFrameBmpSyncScale || bSyncScaleBusy)
        return;
    TFlagGuard busy(bSyncScaleBusy);
    MList<TFrameBmp*>& partners = *LFrameBmpSyncScale;
    if (sender->Scale > 0 && sender->bSyncScaleReady) {
        // The sender leads: the others take its view.
        for (int i = 0; i < partners.FCount; ++i) {
            TFrameBmp* frame = partners.Data[i];
            if (frame == sender || frame->SyncGroup() != sender->SyncGroup())
                continue;
            frame->ScaleCopyFrom(sender);
            if (frame->Scale > 0)
                frame->bSyncScaleReady = true;
        }
    } else if (sender->Scale > 0) {
        // The sender has a view but may not lead (typically a new picture): it takes the view of
        // the first partner that may.
        TFrameBmp* leader = nullptr;
        for (int i = 0; i < partners.FCount && leader == nullptr; ++i) {
            TFrameBmp* frame = partners.Data[i];
            if (frame != sender && frame->SyncGroup() == sender->SyncGroup() && frame->bSyncScaleReady
                && frame->Scale > 0)
                leader = frame;
        }
        if (leader != nullptr) {
            {
                TFlagGuard scrollUnlocked(sender->bLockScroll, false);
                sender->ScaleCopyFrom(leader);
            }
            sender->FrameResize();
            if (sender->Scale > 0)
                sender->bSyncScaleReady = true;
        } else {
            sender->bSyncScaleReady = true;
        }
    } else {
        sender->bSyncScaleReady = false;
    }
}

void TFrameBmp::OnAfterLPointChangeFrameSync(TFrameBmp* sender)
{
    if (!LFrameBmpSyncLPoint || bSyncLPointBusy)
        return;
    TFlagGuard busy(bSyncLPointBusy);
    MList<TFrameBmp*>& partners = *LFrameBmpSyncLPoint;
    for (int i = 0; i < partners.FCount; ++i) {
        TFrameBmp* frame = partners.Data[i];
        if (frame == sender || frame->SyncGroup() != sender->SyncGroup())
            continue;
        // Copying an empty list leaves the target as it was; the partner must lose its marks too.
        if (sender->LPoint->FCount == 0)
            frame->LPoint->SetCount(0);
        else
            frame->LPoint->CopyFrom(sender->LPoint.get());
        if (sender->LColor->FCount == 0)
            frame->LColor->SetCount(0);
        else
            frame->LColor->CopyFrom(sender->LColor.get());
        frame->Redraw();
    }
}

void TFrameBmp::OnMouseMoveFrameSync(TFrameBmp* sender, TShiftState shift, int x, int y)
{
    if (bSyncCursorLeftOnly && !shift.Has(Qt::LeftButton))
        return;
    OnMouseDownFrameSync(sender, Qt::NoButton, shift, x, y);
}

void TFrameBmp::OnMouseDownFrameSync(TFrameBmp* sender, Qt::MouseButton, TShiftState, int x, int y)
{
    if (bSyncCursorBusy || !LFrameBmpSyncCursor)
        return;
    TFlagGuard busy(bSyncCursorBusy);
    double bx = x;
    double by = y;
    if (!sender->CoordinateFrameToBmp(bx, by))
        return;
    sender->SetSyncCursor(MPoint<double>{bx / sender->PictureWidth(), by / sender->PictureHeight()});
    MList<TFrameBmp*>& partners = *LFrameBmpSyncCursor;
    for (int i = 0; i < partners.FCount; ++i) {
        TFrameBmp* frame = partners.Data[i];
        if (frame != sender && frame->SyncGroup() == sender->SyncGroup())
            frame->SetSyncCursor(sender->SyncCursor);
    }
}

void TFrameBmp::SetSyncCursor(MPoint<double> point)
{
    SyncCursor = point;
    if (Bmp != nullptr)
        ShowCoordinate(PictureWidth() * point.x, PictureHeight() * point.y);
    Redraw();
}

// ---- Links ---------------------------------------------------------------------------------

bool TFrameBmp::AddSyncLink(std::unique_ptr<MList<TFrameBmp*>>& list, TFrameBmp* partner, bool cursor)
{
    if (partner == nullptr)
        return false;
    if (!list)
        list = std::make_unique<MList<TFrameBmp*>>();
    if (list->Add(partner) < 0)
        return false;
    partner->LOnClose.Add(TFrameNotify::Of<&TFrameBmp::OnCloseFrameSync>(this));
    ++partner->SyncCount;
    partner->PanelSyncGroup->show();
    if (cursor) {
        ++partner->SyncCursorCount;
        partner->SpeedButtonShowSyncCursor->show();
    }
    return true;
}

bool TFrameBmp::AddSyncScale(TFrameBmp* partner)
{
    if (!AddSyncLink(LFrameBmpSyncScale, partner, false))
        return false;
    partner->LOnAfterScaleChange.Add(TFrameNotify::Of<&TFrameBmp::OnAfterScaleChangeFrameSync>(this));
    return true;
}

bool TFrameBmp::AddSyncLPoint(TFrameBmp* partner)
{
    if (!AddSyncLink(LFrameBmpSyncLPoint, partner, false))
        return false;
    partner->LOnAfterLPointChange.Add(TFrameNotify::Of<&TFrameBmp::OnAfterLPointChangeFrameSync>(this));
    return true;
}

bool TFrameBmp::AddSyncCursor(TFrameBmp* partner)
{
    if (!AddSyncLink(LFrameBmpSyncCursor, partner, true))
        return false;
    partner->LOnMouseMove.Add(TFrameMouseMove::Of<&TFrameBmp::OnMouseMoveFrameSync>(this));
    partner->LOnMouseDown.Add(TFrameMouseDown::Of<&TFrameBmp::OnMouseDownFrameSync>(this));
    return true;
}

bool TFrameBmp::AddSync(TFrameBmp* partner)
{
    return AddSyncScale(partner) && AddSyncLPoint(partner) && AddSyncCursor(partner);
}

bool TFrameBmp::DeleteSyncLink(MList<TFrameBmp*>* list, int index, int kind)
{
    if (list == nullptr || index < 0 || index >= list->FCount)
        return false;
    TFrameBmp* partner = list->Data[index];
    if (--partner->SyncCount == 0)
        partner->PanelSyncGroup->hide();
    if (kind == KindCursor && --partner->SyncCursorCount == 0)
        partner->SpeedButtonShowSyncCursor->hide();
    if (!partner->LOnClose.DeleteT(TFrameNotify::Of<&TFrameBmp::OnCloseFrameSync>(this)))
        return false;
    switch (kind) {
    case KindScale:
        if (!partner->LOnAfterScaleChange.DeleteT(TFrameNotify::Of<&TFrameBmp::OnAfterScaleChangeFrameSync>(this)))
            return false;
        break;
    case KindLPoint:
        if (!partner->LOnAfterLPointChange.DeleteT(TFrameNotify::Of<&TFrameBmp::OnAfterLPointChangeFrameSync>(this)))
            return false;
        break;
    default:
        if (!partner->LOnMouseMove.DeleteT(TFrameMouseMove::Of<&TFrameBmp::OnMouseMoveFrameSync>(this)))
            return false;
        if (!partner->LOnMouseDown.DeleteT(TFrameMouseDown::Of<&TFrameBmp::OnMouseDownFrameSync>(this)))
            return false;
        break;
    }
    return list->DeleteIndex(index);
}

bool TFrameBmp::DeleteSyncScale(int index) { return DeleteSyncLink(LFrameBmpSyncScale.get(), index, KindScale); }

bool TFrameBmp::DeleteSyncLPoint(int index) { return DeleteSyncLink(LFrameBmpSyncLPoint.get(), index, KindLPoint); }

bool TFrameBmp::DeleteSyncCursor(int index) { return DeleteSyncLink(LFrameBmpSyncCursor.get(), index, KindCursor); }

bool TFrameBmp::ClearSyncList(MList<TFrameBmp*>* list, int kind)
{
    if (list == nullptr)
        return true;
    for (int i = list->FCount - 1; i >= 0; --i)
        if (!DeleteSyncLink(list, i, kind))
            return false;
    list->SetCount(0);
    return true;
}

bool TFrameBmp::ClearSyncScale() { return ClearSyncList(LFrameBmpSyncScale.get(), KindScale); }

bool TFrameBmp::ClearSyncLPoint() { return ClearSyncList(LFrameBmpSyncLPoint.get(), KindLPoint); }

bool TFrameBmp::ClearSyncCursor() { return ClearSyncList(LFrameBmpSyncCursor.get(), KindCursor); }

void TFrameBmp::OnCloseFrameSync(TFrameBmp* closing)
{
    const auto drop = [&](MList<TFrameBmp*>* list, int kind) {
        if (list == nullptr)
            return;
        // Every entry goes, also of a partner linked twice: none may outlive the frame.
        for (int index = list->Find(closing); index >= 0; index = list->Find(closing)) {
            if (DeleteSyncLink(list, index, kind))
                continue;
            TraceError(objectName().toStdString(), "Unknown error", "TFrameBmp::OnCloseFrameSync");
            // Half unhooked or not, the entry itself must not outlive the closing frame.
            if (index < list->FCount && list->Data[index] == closing && !list->DeleteIndex(index))
                return;
            if (index >= list->FCount || list->Data[index] != closing)
                continue;
            return;
        }
    };
    drop(LFrameBmpSyncScale.get(), KindScale);
    drop(LFrameBmpSyncLPoint.get(), KindLPoint);
    drop(LFrameBmpSyncCursor.get(), KindCursor);
}

void TFrameBmp::SpeedButtonShowSyncCursorClick()
{
    // The zoom bar stays where the layout put it: shifted right, most of it would leave the frame.
    Redraw();
    FrameResize();
}
