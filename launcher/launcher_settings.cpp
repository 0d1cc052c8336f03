// The launcher's settings file over zel_core's XML document, its version
// caption and its credentials.
#include "launcher_settings.h"

#include <cstdlib>
#include <memory>

#include "utf.h"
#include "utility.h"
#include "xml_edit.h"
#include "xml_name.h"

namespace {
const char kRoot[] = "ZELPlayer";

std::string utf8(const std::wstring& text) { return utf::utf16_to_utf8(text.c_str()).value(); }

bool same_name(const xmlNode* node, const std::string& name) {
    return node && node->type == XML_ELEMENT_NODE && node->name &&
           lstrcmpiA(reinterpret_cast<const char*>(node->name), name.c_str()) == 0;
}

xmlNodePtr child(xmlNodePtr parent, const std::string& name) {
    if (!parent) return nullptr;
    for (xmlNodePtr c = parent->children; c; c = c->next)
        if (same_name(c, name)) return c;
    return nullptr;
}

std::wstring text_of(xml_edit& doc, xmlNodePtr node) {
    if (!node) return std::wstring();
    char* text = doc.get_node_text(node);
    if (!text) return std::wstring();
    std::wstring out = utf::utf8_to_utf16(text).wvalue();
    free(text);
    return out;
}

long number_of(xml_edit& doc, xmlNodePtr node) { return wcstol(text_of(doc, node).c_str(), nullptr, 10); }

std::wstring player_folder() { return std::wstring(utility::find_system_folder(utility::folder_appdata).wvalue()) + L"\\zel_player"; }
}  // namespace

launcher_settings::launcher_settings(const std::wstring& path)
    : path_(path.empty() ? default_path() : path), corrupt_(false), has_rect_(false), rect_{} {}

std::wstring launcher_settings::default_path() { return player_folder() + L"\\zel_mtplayer.xml"; }

bool launcher_settings::load() {
    corrupt_ = false;
    has_rect_ = false;
    rect_ = RECT{};
    stores_.clear();
    xml_edit doc;
    if (!doc.open(utf::utf16_to_ansi(path_.c_str()).value())) return false;
    if (doc.parse_failed()) {
        corrupt_ = GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
        return false;
    }
    xmlNodePtr root = doc.get_root_node();
    if (!root) return true;
    if (xmlNodePtr position = child(root, "position")) {
        rect_.left = number_of(doc, child(position, "left"));
        rect_.top = number_of(doc, child(position, "top"));
        rect_.right = number_of(doc, child(position, "right"));
        rect_.bottom = number_of(doc, child(position, "bottom"));
        has_rect_ = true;
    }
    if (xmlNodePtr ids = child(root, "ids")) {
        for (xmlNodePtr c = ids->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE) continue;
            launcher_store store;
            store.id = utf::utf8_to_utf16(reinterpret_cast<const char*>(c->name)).wvalue();
            store.device = text_of(doc, child(c, "device"));
            store.autostart = number_of(doc, child(c, "autostart")) != 0;
            stores_.push_back(store);
        }
    }
    return true;
}

bool launcher_settings::saved_rect(RECT& out) const {
    if (!has_rect_ || IsRectEmpty(&rect_)) return false;
    out = rect_;
    return true;
}

bool launcher_settings::find_store(const std::wstring& id, launcher_store& out) const {
    const std::wstring name = encode_xml_name(id);
    if (name.empty()) return false;
    for (const launcher_store& s : stores_) {
        if (lstrcmpiW(s.id.c_str(), name.c_str()) == 0) {
            out = s;
            out.id = id;
            return true;
        }
    }
    return false;
}

void launcher_settings::set_position(const RECT& rect) {
    rect_ = rect;
    has_rect_ = true;
}

void launcher_settings::set_stores(const std::vector<launcher_store>& stores) {
    stores_.clear();
    for (launcher_store s : stores) {
        s.id = encode_xml_name(s.id);
        if (!s.id.empty()) stores_.push_back(s);
    }
}

bool launcher_settings::save() {
    const size_t slash = path_.rfind(L'\\');
    if (slash != std::wstring::npos) CreateDirectoryW(path_.substr(0, slash).c_str(), nullptr);
    if (corrupt_) {
        // The unreadable file is kept for a look, not lost under the new one.
        const std::wstring aside = path_ + L".bad";
        DeleteFileW(aside.c_str());
        MoveFileW(path_.c_str(), aside.c_str());
    }
    // Whatever else the file holds stays; position and ids are rewritten.
    xml_edit doc;
    if (!doc.open(utf::utf16_to_ansi(path_.c_str()).value())) return false;
    xmlNodePtr root = doc.get_root_node();
    if (!root) root = doc.add_root_node(kRoot, nullptr);
    if (!root) return false;
    if (has_rect_) {
        xmlNodePtr position = child(root, "position");
        if (!position) position = doc.add_node(root, "position", nullptr);
        const struct {
            const char* name;
            LONG value;
        } sides[] = {{"left", rect_.left}, {"top", rect_.top}, {"right", rect_.right}, {"bottom", rect_.bottom}};
        for (const auto& side : sides) {
            const std::string value = std::to_string(side.value);
            if (xmlNodePtr existing = child(position, side.name))
                doc.set_node(existing, value.c_str());
            else
                doc.add_node(position, side.name, value.c_str());
        }
    }
    if (xmlNodePtr old_ids = child(root, "ids")) doc.remove_node(old_ids);
    xmlNodePtr ids = doc.add_node(root, "ids", nullptr);
    for (const launcher_store& s : stores_) {
        xmlNodePtr store = doc.add_node(ids, utf8(s.id).c_str(), nullptr);
        if (!store) continue;
        doc.add_node(store, "device", utf8(s.device).c_str());
        doc.add_node(store, "autostart", s.autostart ? "1" : "0");
    }
    if (!doc.save(utf::utf16_to_ansi(path_.c_str()).value())) return false;
    corrupt_ = false;
    return true;
}

std::wstring launcher_version_caption(const std::wstring& ini_path) {
    const std::wstring path = ini_path.empty() ? player_folder() + L"\\zel_player.ini" : ini_path;
    std::unique_ptr<char[]> value(new char[4096]);
    GetPrivateProfileStringA("app", "version", "", value.get(), 4096, utf::utf16_to_ansi(path.c_str()).value());
    std::wstring version = utf::utf8_to_utf16(value.get()).wvalue();
    return L"ver." + (version.empty() ? std::wstring(L"1.0.0.0.0") : version);
}

void save_launcher_credential(bool id, const std::wstring& text, const credential_key& key) {
    write_credential(id, text.c_str(), key);
}
