#pragma once
// Identifiers of the Stavren module: classes, ProgIDs, type library and
// interfaces, and the resource strings the registration uses.

#include <QString>
#include <QUuid>

namespace stavren_ids {

// Type library STAVRENLib 1.0.
inline const QUuid kLibId{0x7DC9F949, 0xAD8B, 0x42AE, 0xB8, 0x19, 0x5A, 0x0F, 0x57, 0x44, 0xDF, 0x76};
inline constexpr int kLibMajor = 1;
inline constexpr int kLibMinor = 0;

// Dispatch interface _DStavren and event interface _DStavrenEvents.
inline const QUuid kDispatchIid{0x64239254, 0x6B25, 0x4111, 0x86, 0x8D, 0x41, 0x93, 0xDF, 0x3C, 0x9B, 0x50};
inline const QUuid kEventsIid{0xEE1FD76E, 0x636A, 0x4750, 0x89, 0xB5, 0x81, 0x1A, 0xDC, 0xA1, 0x06, 0x8C};

// The control class Stavren and its property page.
inline const QUuid kCtrlClsid{0xF0C650FA, 0x0500, 0x40B8, 0x8A, 0x3D, 0x09, 0xDC, 0x0C, 0x98, 0x69, 0xA1};
inline const QUuid kPropPageClsid{0xFBC965C0, 0xDA82, 0x4D0A, 0x91, 0x2B, 0x25, 0xEE, 0x4F, 0x81, 0x8B, 0x42};

inline constexpr char kCtrlProgId[] = "STAVREN.StavrenCtrl.1";
inline constexpr char kPropPageProgId[] = "STAVREN.StavrenPropPage.1";

// String resources.
inline constexpr char kCtrlTypeName[] = "Stavren Control";           // string 1
inline constexpr char kPropPageTypeName[] = "Stavren Property Page"; // string 2
inline constexpr char kPropPageCaption[] = "General";                // string 200

// Bitmap resource 1: the control's toolbox bitmap.
inline constexpr int kToolboxBitmap = 1;

// Misc status of the control: set client site first, invisible at run
// time, activate when visible, inside-out, cannot link inside, recompose
// on resize.
inline constexpr unsigned kMiscStatus = 0x20591;

// Version of the control's persistent data (1.0).
inline constexpr unsigned kCtrlVersion = 0x10000;

// The maker's notice shown in the About dialog and the version record.
inline constexpr char kMakerNotice[] = "Copyright (C) 2026 Ostrana Technologies";
inline constexpr char kCompanyName[] = "Ostrana Technologies";

} // namespace stavren_ids
