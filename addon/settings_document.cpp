// The settings file through MSXML's DOM document.
#include "settings_document.h"
#include <objsafe.h>
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

bool file_exists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void make_parent_folder(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
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

bool settings_document::open_user(const std::wstring& path, const std::wstring& user,
                                  com_ptr<IXMLDOMNode>& user_node) {
    if (!doc_) return false;
    if (!path.empty() && file_exists(path)) {
        path_variant source(path);
        VARIANT_BOOL ok = VARIANT_FALSE;
        HRESULT hr = doc_->load(source.v, &ok);
        state_ = hr == S_OK && ok == VARIANT_TRUE ? loaded : unreadable;
    } else {
        state_ = missing;
    }
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
    if (!parent || name.empty()) return false;
    const std::wstring wanted = upper(name);
    com_ptr<IXMLDOMNodeList> children;
    if (FAILED(parent->get_childNodes(children.put())) || !children) return false;
    long count = 0;
    children->get_length(&count);
    for (long i = 0; i < count; ++i) {
        com_ptr<IXMLDOMNode> node;
        if (children->get_item(i, node.put()) != S_OK || !node) continue;
        DOMNodeType type = NODE_INVALID;
        if (FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT) continue;
        bstr node_name;
        if (FAILED(node->get_nodeName(node_name.put()))) continue;
        if (upper(node_name.text()) == wanted) {
            *child.put() = node.get();
            node.get()->AddRef();
            return true;
        }
    }
    return false;
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
    DeleteFileW(temp.c_str());
    path_variant direct(path);
    return SUCCEEDED(doc_->save(direct.v));
}
