#pragma once
// The Windows Media Format reader as the MMS stream and the Windows Media
// input reach it: the interfaces come from MinGW's wmsdkidl.h; the reader is
// made through a replaceable function so that tests can put a reader of
// their own in place of the platform's (wmvcore.dll ships no import
// library with MinGW, so the platform's WMCreateReader is looked up at run
// time).
#include <windows.h>
#include <wmsdkidl.h>

namespace wm_reader {

using create_fn = HRESULT(WINAPI*)(IUnknown* certificate, DWORD rights, IWMReader** reader);

// Makes a reader with the current factory (WMCreateReader(null, 0, reader)
// of wmvcore.dll by default). A failure result, with *reader null, when
// wmvcore.dll or its export is missing.
HRESULT create(IWMReader** reader);

// Replaces the factory; null restores the platform's. Returns the previous
// one. Not thread-safe: tests set it before any stream opens.
create_fn set_factory(create_fn factory);

// IWMHeaderInfo, the audio major type and the IEEE float subtype.
constexpr GUID iid_header_info = {0x96406BDA, 0x2B2B, 0x11D3, {0xB3, 0x6B, 0x00, 0xC0, 0x4F, 0x61, 0x08, 0xFF}};
constexpr GUID media_type_audio = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID subtype_float = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// The error the reader reports for an open that must wait for another
// opened status.
const HRESULT retry_open = static_cast<HRESULT>(0xC00D0033);

}  // namespace wm_reader
