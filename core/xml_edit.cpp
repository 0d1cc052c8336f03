// xml_edit: documents (open, save, close, copies) and changes. The searches
// and value reads are in xml_edit_search.cpp.
#include "xml_edit.h"
#include <libxml/parser.h>
#include <cstring>
#include <string>
#include "xml_text.h"

namespace {

const xmlChar* x(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }
const xmlChar* x(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// Parser options: no network, and no messages on the console for documents
// that do not parse (the caller learns it from the result).
const int parse_options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Files larger than this are not read as documents.
const LONGLONG max_file_size = 256LL * 1024 * 1024;

enum class read_result { ok, missing, failed };

// The whole file at an ANSI path.
read_result read_file(const char* path, std::string& data) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? read_result::missing
                                                                              : read_result::failed;
    }
    LARGE_INTEGER size;
    read_result result = read_result::failed;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= max_file_size) {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (data.empty() || (ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &got, nullptr) &&
                             got == data.size()))
            result = read_result::ok;
    }
    CloseHandle(file);
    return result;
}

bool write_all(const char* path, const xmlChar* data, int size) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
              written == static_cast<DWORD>(size) && FlushFileBuffers(file);
    return CloseHandle(file) && ok;
}

}  // namespace

xml_edit::xml_edit() : document_(nullptr), parse_failed_(false) { path_[0] = 0; }

xml_edit::xml_edit(const xml_edit& other)
    : document_(other.document_ ? xmlCopyDoc(other.document_, 1) : nullptr), parse_failed_(other.parse_failed_) {
    memcpy(path_, other.path_, sizeof(path_));
}

xml_edit& xml_edit::operator=(const xml_edit& other) {
    if (this != &other) {
        free_document();
        document_ = other.document_ ? xmlCopyDoc(other.document_, 1) : nullptr;
        memcpy(path_, other.path_, sizeof(path_));
        parse_failed_ = other.parse_failed_;
    }
    return *this;
}

xml_edit::~xml_edit() { free_document(); }

void xml_edit::free_document() {
    if (document_) xmlFreeDoc(document_);
    document_ = nullptr;
}

bool xml_edit::open(const char* path) {
    free_document();
    parse_failed_ = false;
    path_[0] = 0;
    if (!path || !*path || strlen(path) >= sizeof(path_)) return false;
    strcpy(path_, path);

    // The file is read here, not by libxml2, so that the path is taken in the
    // ANSI code page as every other path of the system.
    std::string data;
    read_result result = read_file(path, data);
    if (result == read_result::ok && !data.empty()) {
        document_ = xmlReadMemory(data.data(), static_cast<int>(data.size()), nullptr, nullptr, parse_options);
        if (!document_) parse_failed_ = true;
    } else if (result == read_result::failed) {
        parse_failed_ = true;
    }
    if (!document_) document_ = xmlNewDoc(x("1.0"));
    return document_ != nullptr;
}

bool xml_edit::open(const char* buffer, int size) {
    free_document();
    parse_failed_ = false;
    if (!buffer || size < 1) return false;
    path_[0] = 0;
    document_ = xmlReadMemory(buffer, size, nullptr, nullptr, parse_options);
    return document_ != nullptr;
}

bool xml_edit::write(const char* path) {
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpFormatMemory(document_, &text, &size, 1);
    free_document();
    if (!text) return false;
    // Through a temporary file, so that a failed write leaves the old file.
    std::string temporary = std::string(path) + ".tmp";
    bool ok;
    if (temporary.size() < MAX_PATH) {
        ok = write_all(temporary.c_str(), text, size) &&
             MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!ok) DeleteFileA(temporary.c_str());
    } else {
        ok = write_all(path, text, size);
    }
    xmlFree(text);
    return ok;
}

bool xml_edit::save() {
    if (!document_ || !path_[0]) return false;
    return write(path_);
}

bool xml_edit::save(const char* path) {
    if (!path || !*path || !document_) return false;
    return write(path);
}

bool xml_edit::close() {
    free_document();
    return true;
}

bool xml_edit::owns(xmlNodePtr node) const { return document_ && node && node->doc == document_; }

xmlNodePtr xml_edit::add_root_node(const char* name, const char* content) {
    if (!document_ || !xml_text::valid_name(name)) return nullptr;
    // A raw node: its content is text, not markup with entity references.
    xmlNodePtr root =
        xmlNewDocRawNode(document_, nullptr, x(name), content ? x(xml_text::safe(content)) : nullptr);
    if (!root) return nullptr;
    xmlNodePtr old = xmlDocSetRootElement(document_, root);
    if (old) xmlFreeNode(old);
    return root;
}

xmlNodePtr xml_edit::add_node(xmlNodePtr parent, const char* name, const char* content) {
    if (!owns(parent) || !xml_text::valid_name(name)) return nullptr;
    return xmlNewTextChild(parent, nullptr, x(name), content ? x(xml_text::safe(content)) : nullptr);
}

bool xml_edit::set_node(xmlNodePtr node, const char* content) {
    if (!owns(node)) return false;
    std::string text = xml_text::safe(content);
    if (node->type == XML_ELEMENT_NODE) {
        // Plain text, as add_node takes it: not parsed for entity references.
        xmlNodeSetContent(node, nullptr);
        if (!text.empty()) xmlNodeAddContent(node, x(text));
    } else {
        xmlNodeSetContent(node, x(text));
    }
    return true;
}

xmlAttrPtr xml_edit::add_attr(xmlNodePtr node, const char* name, const char* value) {
    if (!owns(node) || node->type != XML_ELEMENT_NODE || !xml_text::valid_name(name)) return nullptr;
    return xmlNewProp(node, x(name), x(xml_text::safe(value)));
}

xmlAttrPtr xml_edit::set_attr(xmlNodePtr node, const char* name, const char* value) {
    if (!owns(node) || node->type != XML_ELEMENT_NODE || !xml_text::valid_name(name)) return nullptr;
    return xmlSetProp(node, x(name), x(xml_text::safe(value)));
}

bool xml_edit::remove_node(xmlNodePtr node) {
    if (!owns(node) || node->type == XML_DOCUMENT_NODE) return false;
    xmlUnlinkNode(node);
    xmlFreeNode(node);
    return true;
}

bool xml_edit::remove_attr(xmlNodePtr node, const char* name) {
    if (!owns(node) || !name) return false;
    if (node->type == XML_ELEMENT_NODE) xmlUnsetProp(node, x(name));
    return true;
}
