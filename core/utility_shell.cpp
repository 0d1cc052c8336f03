// Shell file associations: the player as the opener of audio file types, of
// audio CDs and of folders, under HKEY_CLASSES_ROOT (see utility.h).
#include <windows.h>
#include <cwchar>
#include <string>
#include "core.h"
#include "utility.h"

namespace {
const wchar_t k_type[] = L"ZELPlayer.Audio";
const wchar_t k_backup[] = L"ZEL_backup";
const wchar_t k_cd_command[] = L"AudioCD\\shell\\play\\command";
const wchar_t k_play_verb[] = L"Directory\\Shell\\ZELPlayer.Play";
const wchar_t k_enqueue_verb[] = L"Directory\\Shell\\ZELPlayer.Enqueue";

// An open registry key, closed at the end of its scope; null when it could
// not be opened or created.
class reg_key {
public:
    reg_key() = default;
    ~reg_key() {
        if (key_) RegCloseKey(key_);
    }
    reg_key(const reg_key&) = delete;
    reg_key& operator=(const reg_key&) = delete;

    bool create(HKEY parent, const wchar_t* path) {
        return RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) ==
               ERROR_SUCCESS;
    }
    bool open(HKEY parent, const wchar_t* path) {
        return RegOpenKeyExW(parent, path, 0, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// A REG_SZ value (null name: the default value); false when it is missing or
// of another type.
bool read_text(HKEY key, const wchar_t* name, std::wstring& text) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    buffer.resize(wcsnlen(buffer.c_str(), size / sizeof(wchar_t)));
    text = buffer;
    return true;
}

void write_text(HKEY key, const wchar_t* name, const std::wstring& text) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool same_text(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// Creates root\path and sets its default value (none for null).
void set_default(const wchar_t* path, const wchar_t* value) {
    reg_key key;
    if (key.create(HKEY_CLASSES_ROOT, path) && value) write_text(key.get(), nullptr, value);
}

// The host program beside the module registered with core::set_instance.
std::wstring program_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(core::get_instance(), &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return L"zel_player.exe";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.rfind(L'\\');
    path.resize(slash == std::wstring::npos ? 0 : slash);
    return path + L"\\zel_player.exe";
}

std::wstring open_command(const std::wstring& program) { return L"\"" + program + L"\" \"%1\""; }
std::wstring enqueue_command(const std::wstring& program) { return L"\"" + program + L"\" /add \"%1\""; }

// Sets our value as the key's default, keeping a different earlier one in
// the backup value (an earlier value of ours is never backed up, so
// registering twice keeps the first backup).
void take_over(HKEY key, const std::wstring& ours) {
    std::wstring old;
    bool had = read_text(key, nullptr, old);
    write_text(key, nullptr, ours);
    if (had && !same_text(old, ours.c_str())) write_text(key, k_backup, old);
}

// Undoes take_over. The backup comes back only while the default is still
// ours (or gone, or empty): when another program has taken the key over
// since, its value stays and the stale backup is dropped.
void give_back(HKEY key, const std::wstring& ours) {
    std::wstring current;
    bool had = read_text(key, nullptr, current);
    bool is_ours = had && same_text(current, ours.c_str());
    bool free_slot = !had || current.empty() || is_ours;
    if (is_ours) RegDeleteValueW(key, nullptr);
    std::wstring backup;
    if (read_text(key, k_backup, backup)) {
        if (free_slot) write_text(key, nullptr, backup);
        RegDeleteValueW(key, k_backup);
    }
}

void register_type(const std::wstring& program) {
    set_default(k_type, L"ZELPlayer Media File");
    std::wstring type = k_type;
    // "%s,%1d" with icon index 1.
    set_default((type + L"\\DefaultIcon").c_str(), (program + L",1").c_str());
    set_default((type + L"\\Shell").c_str(), nullptr);
    set_default((type + L"\\Shell\\Open").c_str(), nullptr);
    set_default((type + L"\\Shell\\Open\\command").c_str(), open_command(program).c_str());
    set_default((type + L"\\Shell\\Enqueue").c_str(), L"VOLQUIN 플레이어 목록에 추가(&E)");
    set_default((type + L"\\Shell\\Enqueue\\command").c_str(), enqueue_command(program).c_str());
}

void remove_type() {
    reg_key key;
    if (!key.open(HKEY_CLASSES_ROOT, k_type)) return;
    const wchar_t* subkeys[] = {L"Shell\\Open\\command", L"Shell\\Open", L"Shell\\Enqueue\\command",
                                L"Shell\\Enqueue", L"Shell", L"DefaultIcon"};
    for (const wchar_t* subkey : subkeys) RegDeleteKeyW(key.get(), subkey);
    if (RegDeleteKeyW(key.get(), L"") != ERROR_SUCCESS) RegDeleteKeyW(HKEY_CLASSES_ROOT, k_type);
}
}  // namespace

void utility::registry_file(std::vector<stringx>& extensions, bool associate, bool remove_type_too) {
    if (extensions.empty()) return;
    const std::wstring program = program_path();
    const std::wstring open = open_command(program);
    for (const stringx& extension : extensions) {
        std::wstring ext = extension.wvalue() ? extension.wvalue() : L"";
        // An empty name would address the key "." itself.
        if (ext.empty()) continue;
        std::wstring dotted = L"." + ext;
        reg_key key;
        if (associate) {
            if (key.create(HKEY_CLASSES_ROOT, dotted.c_str())) take_over(key.get(), k_type);
            register_type(program);
        } else if (key.open(HKEY_CLASSES_ROOT, dotted.c_str())) {
            give_back(key.get(), k_type);
        }
        if (same_text(ext, L"cda")) {
            // Only an existing audio-CD verb is changed; none is created.
            reg_key cd;
            if (cd.open(HKEY_CLASSES_ROOT, k_cd_command)) {
                if (associate) take_over(cd.get(), open);
                else give_back(cd.get(), open);
            }
        }
    }
    if (!associate && remove_type_too) remove_type();
}

void utility::registry_folder(bool add) {
    if (add) {
        const std::wstring program = program_path();
        std::wstring play = k_play_verb, enqueue = k_enqueue_verb;
        set_default(k_play_verb, L"ZEL 플레이어 열기(&P)");
        set_default((play + L"\\Command").c_str(), open_command(program).c_str());
        set_default(k_enqueue_verb, L"ZEL 플레이어 목록에 추가(&E)");
        set_default((enqueue + L"\\Command").c_str(), enqueue_command(program).c_str());
        return;
    }
    reg_key shell;
    if (!shell.open(HKEY_CLASSES_ROOT, L"Directory\\Shell")) return;
    const wchar_t* subkeys[] = {L"ZELPlayer.Play\\Command", L"ZELPlayer.Play", L"ZELPlayer.Enqueue\\Command",
                                L"ZELPlayer.Enqueue"};
    for (const wchar_t* subkey : subkeys) RegDeleteKeyW(shell.get(), subkey);
}

bool utility::registry_file_connected(const wchar_t* extension) {
    if (!extension || !*extension) return false;
    reg_key key;
    std::wstring value;
    return key.open(HKEY_CLASSES_ROOT, (std::wstring(L".") + extension).c_str()) &&
           read_text(key.get(), nullptr, value) && same_text(value, k_type);
}

bool utility::rgistry_folder_connected() {
    reg_key key;
    return key.open(HKEY_CLASSES_ROOT, k_play_verb);
}
