// xml_edit: finding nodes and reading texts.
#include <cstdlib>
#include <cstring>
#include <string>
#include "xml_edit.h"
#include "xml_text.h"

namespace {

const xmlChar* x(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// The text of a node list (entities substituted) as a string; has_text is
// false when there is none.
std::string list_text(xmlDocPtr document, xmlNodePtr list, bool& has_text) {
    xmlChar* text = list ? xmlNodeListGetString(document, list, 1) : nullptr;
    has_text = text != nullptr;
    std::string out = text ? reinterpret_cast<const char*>(text) : "";
    if (text) xmlFree(text);
    return out;
}

std::string node_text(xmlNodePtr node) {
    bool has_text;
    // Only elements and attributes have text children; entity references
    // point at their declaration instead.
    if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE) return std::string();
    return list_text(node->doc, node->children, has_text);
}

std::string ascii_lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool matches(const std::string& text, const char* pattern, bool whole, bool match_case) {
    if (whole && match_case) return xmlStrEqual(x(text.c_str()), x(pattern)) != 0;
    if (whole) return xmlStrcasecmp(x(text.c_str()), x(pattern)) == 0;
    if (match_case) return text.find(pattern) != std::string::npos;
    return ascii_lower(text).find(ascii_lower(pattern)) != std::string::npos;
}

// The first node below top, in depth-first pre-order (a node, its subtree,
// then its next sibling), for which test is true. Iterative, so that deep
// documents cannot exhaust the stack; only elements are descended into.
template <class Test>
xmlNodePtr walk(xmlNodePtr top, Test test) {
    if (!top) return nullptr;
    xmlNodePtr node = top->children;
    while (node) {
        if (test(node)) return node;
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && !node->next) {
            node = node->parent;
            if (node == top) return nullptr;
        }
        if (node) node = node->next;
    }
    return nullptr;
}

bool copy_text(xmlDocPtr document, xmlNodePtr list, char* buffer, int size) {
    if (!buffer || size < 1) return false;
    bool has_text;
    std::string text = list_text(document, list, has_text);
    if (!has_text) return false;
    size_t keep = xml_text::cut_length(text.c_str(), text.size(), static_cast<size_t>(size) - 1);
    memcpy(buffer, text.data(), keep);
    buffer[keep] = 0;
    return true;
}

char* dup_text(xmlDocPtr document, xmlNodePtr list) {
    bool has_text;
    std::string text = list_text(document, list, has_text);
    if (!has_text) return nullptr;
    char* copy = static_cast<char*>(malloc(text.size() + 1));
    if (copy) memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

xmlNodePtr xml_edit::get_root_node() { return document_ ? xmlDocGetRootElement(document_) : nullptr; }

xmlNodePtr xml_edit::find_node(const char* name) {
    if (!name) return nullptr;
    return walk(get_root_node(), [&](xmlNodePtr node) { return node->name && xmlStrcasecmp(node->name, x(name)) == 0; });
}

xmlNodePtr xml_edit::search_node_by_node_value(const char* pattern, bool whole, bool match_case) {
    if (!pattern) return nullptr;
    return walk(get_root_node(), [&](xmlNodePtr node) { return matches(node_text(node), pattern, whole, match_case); });
}

xmlNodePtr xml_edit::search_node_by_attr_value(const char* pattern, bool whole, bool match_case) {
    if (!pattern) return nullptr;
    return walk(get_root_node(), [&](xmlNodePtr node) {
        if (node->type != XML_ELEMENT_NODE) return false;
        for (xmlAttrPtr attr = node->properties; attr; attr = attr->next)
            if (matches(node_text(reinterpret_cast<xmlNodePtr>(attr)), pattern, whole, match_case)) return true;
        return false;
    });
}

xmlAttrPtr xml_edit::get_attr(xmlNodePtr node, const char* name) {
    if (!node || !name || node->type != XML_ELEMENT_NODE) return nullptr;
    for (xmlAttrPtr attr = node->properties; attr; attr = attr->next)
        if (attr->name && xmlStrcasecmp(attr->name, x(name)) == 0) return attr;
    return nullptr;
}

// Only elements have text children (an entity reference's children are its
// declaration).
bool xml_edit::get_node_value(xmlNodePtr node, char* buffer, int size) {
    return node && node->type == XML_ELEMENT_NODE && copy_text(node->doc, node->children, buffer, size);
}

bool xml_edit::get_attr_value(xmlAttrPtr attr, char* buffer, int size) {
    return attr && copy_text(attr->doc, attr->children, buffer, size);
}

char* xml_edit::get_node_text(xmlNodePtr node) {
    return node && node->type == XML_ELEMENT_NODE ? dup_text(node->doc, node->children) : nullptr;
}

char* xml_edit::get_attr_text(xmlAttrPtr attr) { return attr ? dup_text(attr->doc, attr->children) : nullptr; }
