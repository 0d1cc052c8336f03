#pragma once
// xml_edit: the owner of one libxml2 document. Opens a document from a file
// or from memory, saves it, finds nodes by name, by text or by attribute
// value, and adds, changes and removes nodes and attributes. The system's
// own XML playlist format is read and written through it.
//
// Names, contents and values are UTF-8 bytes (libxml2 strings); callers
// convert with utf. Nodes and attributes are libxml2's own structures, handed
// out as they are: walk them with their fields (children, next, properties,
// name). They belong to the document and die with it (close, open, save,
// destruction).
//
// Text that XML cannot hold never reaches the document: characters outside
// the XML character range (control characters, lone surrogates, invalid
// UTF-8) become U+FFFD, and surrogate pairs written as two three-byte
// sequences are joined into one four-byte sequence; names that are not XML
// names are refused. So a saved document always parses again.
//
// One thread at a time per object.
#include <windows.h>
#include <libxml/tree.h>
#include "zel_export.h"

class ZEL_CORE_API xml_edit {
public:
    xml_edit();
    // Copies hold documents of their own (deep copies).
    xml_edit(const xml_edit& other);
    xml_edit& operator=(const xml_edit& other);
    virtual ~xml_edit();

    // --- documents ---

    // Frees any open document, remembers path (ANSI, below MAX_PATH bytes)
    // and parses the file. A missing or empty file gives a new empty
    // document (version "1.0", no root); so does a file that cannot be read
    // or parsed, and parse_failed() then says so. True whenever a document
    // exists afterwards; false for a null, empty or too long path.
    bool open(const char* path);
    // Frees any open document and parses size bytes; false (no document)
    // for a null buffer, size < 1 or text that does not parse. Clears the
    // remembered path.
    bool open(const char* buffer, int size);
    // Writes the document, indented, to the remembered path (or to path)
    // through a temporary file, then frees the document. False when there is
    // no document or path, or when writing failed (the file keeps its old
    // content then); the document is freed in every case but the first two.
    bool save();
    bool save(const char* path);
    // Frees the document without writing; always true.
    bool close();
    // True when the last open(path) found a file it could not read or parse.
    bool parse_failed() const { return parse_failed_; }

    // --- reading ---

    xmlNodePtr get_root_node();
    // The first node below the root, in depth-first pre-order, whose name
    // equals name ignoring ASCII case; text and comment nodes take part as
    // "text" and "comment". The root itself is never matched.
    xmlNodePtr find_node(const char* name);
    // The first node below the root whose own text (its text children)
    // matches pattern: whole and match_case: equal; whole only: equal ignoring
    // ASCII case; match_case only: contains; neither: contains ignoring ASCII
    // case. A node without text compares as "". Texts of any length.
    xmlNodePtr search_node_by_node_value(const char* pattern, bool whole, bool match_case);
    // The first node below the root with an attribute whose value matches
    // (same rule); a node's attributes are tried in order before its subtree.
    xmlNodePtr search_node_by_attr_value(const char* pattern, bool whole, bool match_case);
    // The node's first attribute whose name equals name ignoring ASCII case.
    xmlAttrPtr get_attr(xmlNodePtr node, const char* name);
    // The node's or attribute's text (entities substituted) copied into
    // buffer, at most size - 1 bytes and a terminator; a longer text is cut
    // at a UTF-8 character boundary. False, buffer untouched, when there is
    // no text, no buffer or size < 1.
    bool get_node_value(xmlNodePtr node, char* buffer, int size);
    bool get_attr_value(xmlAttrPtr attr, char* buffer, int size);
    // The same texts whole, from malloc (the caller frees them with free);
    // null when there is no text.
    char* get_node_text(xmlNodePtr node);
    char* get_attr_text(xmlAttrPtr attr);

    // --- changing ---
    // Nodes passed in must belong to this object's document; others are
    // refused (null or false).

    // A new element made the document's root (replacing and freeing an old
    // root), with content as its text when not null.
    xmlNodePtr add_root_node(const char* name, const char* content);
    // A new child element of parent with content as its text (escaped on
    // saving) when not null.
    xmlNodePtr add_node(xmlNodePtr parent, const char* name, const char* content);
    // Replaces the node's content with the text (null: none).
    bool set_node(xmlNodePtr node, const char* content);
    // A new attribute, or (set_attr) the existing one of that name changed.
    xmlAttrPtr add_attr(xmlNodePtr node, const char* name, const char* value);
    xmlAttrPtr set_attr(xmlNodePtr node, const char* name, const char* value);
    // Unlinks and frees the node with its subtree.
    bool remove_node(xmlNodePtr node);
    // Removes the attribute; true also when there was none.
    bool remove_attr(xmlNodePtr node, const char* name);

private:
    bool owns(xmlNodePtr node) const;
    void free_document();
    bool write(const char* path);

    xmlDocPtr document_;
    char path_[MAX_PATH];
    bool parse_failed_;
};
