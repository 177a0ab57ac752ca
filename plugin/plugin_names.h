// Fixed names and texts the plug-in shows the host and the system.
#pragma once

namespace avex {

inline constexpr char kDisplayName[] = "Aurivex 3.0 for Corvane";
// The caption of the messages of the console's Test URL page.
inline constexpr char kProductName[] = "Aurivex for Corvane";
inline constexpr char kInvalidVersionName[] = "Invalid Corvane Engine Version";
inline constexpr char kCompanyName[] = "Tarn Software";
inline constexpr char kModuleName[] = "AVex.dll";

// The engine vendor's key, kept for the classification engine.
inline constexpr char kVendorKey[] = "SOFTWARE\\Orlo Ltd\\Aurivex PlugIn";
inline constexpr char kVendorInstallDirectory[] = "Install Directory";
inline constexpr char kVendorBlk[] = "BLK";
inline constexpr char kVendorBlkText[] = "41027";

}  // namespace avex
