// The settings file through MSXML's DOM document.
#include "settings_document.h"
#include <objsafe.h>
#include <unordered_set>
#include <vector>

namespace {
// The version-independent MSXML DOM document class.
const CLSID clsid_dom_document = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

const wchar_t k_root_name[] = L"ZELPlayer";

std::wstring upper(std::wstring s) {
    if (!s.empty()) CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

// A VARIANT holding a path, for load and save.
struct path_variant {
    VARIANT v;
    explicit path_variant(const std::wstring& path) {
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(path.c_str());
    }
    ~path_variant() { VariantClear(&v); }
};

void make_parent_folder(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
}
// Whether the file can be opened for reading. A file held open without
// sharing by some other program (a backup or virus scanner) is waited for a
// moment; when it stays held the file is "blocked", never "missing", so that
// nobody replaces what it holds.
enum class file_access { absent, readable, blocked };

file_access probe_file(const std::wstring& path) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return file_access::readable;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return file_access::absent;
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) break;
        Sleep(20);
    }
    return file_access::blocked;
}

// Calls fn(upper-cased name, node) for each child element of parent in
// document order (other nodes are passed over) until fn returns false. The
// children are walked from sibling to sibling: fetching them by index costs
// a walk from the first child for every one.
template <class Fn>
void for_each_child_element(IXMLDOMNode* parent, Fn fn) {
    if (!parent) return;
    com_ptr<IXMLDOMNode> node;
    if (parent->get_firstChild(node.put()) != S_OK) return;
    while (node) {
        DOMNodeType type = NODE_INVALID;
        if (SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT) {
            bstr node_name;
            if (SUCCEEDED(node->get_nodeName(node_name.put())) && !fn(upper(node_name.text()), node.get())) return;
        }
        IXMLDOMNode* next = nullptr;
        if (node->get_nextSibling(&next) != S_OK) return;
        *node.put() = next;
    }
}

// The same for the first child element of each name (ignoring case) only,
// as find_child finds them.
template <class Fn>
void for_each_first_child(IXMLDOMNode* parent, Fn fn) {
    std::unordered_set<std::wstring> seen;
    for_each_child_element(parent, [&](const std::wstring& name, IXMLDOMNode* node) {
        if (seen.insert(name).second) fn(name, node);
        return true;
    });
}
}  // namespace

settings_document::settings_document() {
    HRESULT hr = CoInitialize(nullptr);
    com_initialized_ = SUCCEEDED(hr);  // S_FALSE too; a thread already in another apartment keeps it
    if (FAILED(CoCreateInstance(clsid_dom_document, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, doc_.put_void())) ||
        !doc_)
        return;
    doc_->put_async(VARIANT_FALSE);
    // Values are kept as written: without this, white space at the start of
    // a value can be lost on loading.
    doc_->put_preserveWhiteSpace(VARIANT_TRUE);
    com_ptr<IObjectSafety> safety;
    if (SUCCEEDED(doc_->QueryInterface(IID_IObjectSafety, safety.put_void())) && safety) {
        DWORD supported = 0, enabled = 0;
        if (SUCCEEDED(safety->GetInterfaceSafetyOptions(IID_IXMLDOMDocument, &supported, &enabled)))
            safety->SetInterfaceSafetyOptions(IID_IXMLDOMDocument, supported, 0);
    }
    state_ = missing;
}

settings_document::~settings_document() {
    doc_.reset();
    if (com_initialized_) CoUninitialize();
}

bool settings_document::load(const std::wstring& path) {
    if (!doc_) return false;
    state_ = missing;
    if (path.empty()) return true;
    switch (probe_file(path)) {
    case file_access::absent:
        return true;
    case file_access::blocked:
        state_ = blocked;
        return false;
    case file_access::readable:
        break;
    }
    path_variant source(path);
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = doc_->load(source.v, &ok);
    if (hr == S_OK && ok == VARIANT_TRUE) {
        state_ = loaded;
    } else if (FAILED(hr) && probe_file(path) != file_access::readable) {
        state_ = blocked;  // taken away between the probe and the load
        return false;
    } else {
        state_ = unreadable;
    }
    return true;
}

bool settings_document::open_user(const std::wstring& path, const std::wstring& user,
                                  com_ptr<IXMLDOMNode>& user_node) {
    if (!load(path)) return false;
    com_ptr<IXMLDOMElement> element;
    com_ptr<IXMLDOMNode> root;
    if (doc_->get_documentElement(element.put()) == S_OK && element) {
        if (FAILED(element->QueryInterface(IID_IXMLDOMNode, root.put_void()))) return false;
    } else if (!set_root(root)) {
        return false;
    }
    if (find_child(root.get(), user, user_node)) return true;
    return add_child(root.get(), user, user_node);
}

bool settings_document::find_child(IXMLDOMNode* parent, const std::wstring& name, com_ptr<IXMLDOMNode>& child) {
    if (name.empty()) return false;
    const std::wstring wanted = upper(name);
    bool found = false;
    for_each_child_element(parent, [&](const std::wstring& node_name, IXMLDOMNode* node) {
        if (node_name != wanted) return true;
        node->AddRef();
        *child.put() = node;
        found = true;
        return false;
    });
    return found;
}

bool settings_document::add_child(IXMLDOMNode* parent, const std::wstring& name, com_ptr<IXMLDOMNode>& child) {
    if (!doc_ || !parent || name.empty()) return false;
    com_ptr<IXMLDOMElement> element;
    bstr tag(name.c_str());
    if (FAILED(doc_->createElement(tag.get(), element.put())) || !element) return false;
    return SUCCEEDED(parent->appendChild(element.get(), child.put())) && child;
}

std::wstring settings_document::text(IXMLDOMNode* node) {
    com_ptr<IXMLDOMNode> first;
    if (!node || node->get_firstChild(first.put()) != S_OK || !first) return std::wstring();
    VARIANT value;
    VariantInit(&value);
    std::wstring result;
    if (SUCCEEDED(first->get_nodeValue(&value)) && value.vt == VT_BSTR && value.bstrVal)
        result.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return result;
}

bool settings_document::set_text(IXMLDOMNode* node, const std::wstring& value) {
    bstr text(value.c_str());
    return node && SUCCEEDED(node->put_text(text.get()));
}

bool settings_document::set_root(com_ptr<IXMLDOMNode>& root) {
    if (!doc_) return false;
    com_ptr<IXMLDOMElement> old;
    if (doc_->get_documentElement(old.put()) == S_OK && old) {
        com_ptr<IXMLDOMNode> removed;
        doc_->removeChild(old.get(), removed.put());
    }
    // A new document says that it is UTF-8, which every engine reads back.
    com_ptr<IXMLDOMNode> first;
    if (doc_->get_firstChild(first.put()) != S_OK || !first) {
        com_ptr<IXMLDOMProcessingInstruction> declaration;
        bstr target(L"xml"), data(L"version=\"1.0\" encoding=\"UTF-8\"");
        if (SUCCEEDED(doc_->createProcessingInstruction(target.get(), data.get(), declaration.put())) &&
            declaration) {
            com_ptr<IXMLDOMNode> added;
            doc_->appendChild(declaration.get(), added.put());
        }
    }
    com_ptr<IXMLDOMElement> element;
    bstr tag(k_root_name);
    if (FAILED(doc_->createElement(tag.get(), element.put())) || !element) return false;
    return SUCCEEDED(doc_->appendChild(element.get(), root.put())) && root;
}

// The document goes to "<path>.tmp" first and then replaces the file in one
// step, so that a reader never meets a half-written file and a failed save
// leaves the old file whole. The folder is created when missing.
bool settings_document::save(const std::wstring& path) {
    if (!doc_ || path.empty()) return false;
    make_parent_folder(path);
    const std::wstring temp = path + L".tmp";
    path_variant target(temp);
    if (FAILED(doc_->save(target.v))) {
        DeleteFileW(temp.c_str());
        return false;
    }
    if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    // The file could not be replaced (held by another program, read-only):
    // writing it in place could leave it half written, so it stays as it
    // was and the save fails.
    DeleteFileW(temp.c_str());
    return false;
}

std::wstring settings_document::value_key(const std::wstring& user, const std::wstring& section,
                                          const std::wstring& key) {
    return upper(user) + L'\n' + upper(section) + L'\n' + upper(key);
}

void settings_document::collect(std::map<std::wstring, std::wstring>& values) {
    values.clear();
    com_ptr<IXMLDOMElement> element;
    com_ptr<IXMLDOMNode> root;
    if (!doc_ || doc_->get_documentElement(element.put()) != S_OK || !element ||
        FAILED(element->QueryInterface(IID_IXMLDOMNode, root.put_void())))
        return;
    for_each_first_child(root.get(), [&](const std::wstring& user, IXMLDOMNode* user_node) {
        for_each_first_child(user_node, [&](const std::wstring& section, IXMLDOMNode* section_node) {
            for_each_first_child(section_node, [&](const std::wstring& key, IXMLDOMNode* key_node) {
                values[user + L'\n' + section + L'\n' + key] = text(key_node);
            });
        });
    });
}
