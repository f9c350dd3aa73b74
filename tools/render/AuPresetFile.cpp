#include "tools/render/AuPresetFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlwriter.h>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

#include "platform/RegularFile.h"
#include "tools/render/AtomicFile.h"

namespace {

// A saved state is about 400 KB of text; the oscillators' samples travel in
// it as base64 data and can make it much larger (a recorder take of 60 s at
// 384 kHz is 184 MB of frames, 245 MB of text). The XML parser takes its
// input as one block with an int size, which bounds a state file; a file
// above this size is refused before it is read, and no larger state is
// written.
const long long MAX_STATE_FILE_BYTES = INT_MAX;
// Text outside <data> elements (names, keys, numbers) stays under the XML
// parser's own limit for one text node; the writer checks it too.
const size_t MAX_TEXT_BYTES = 10000000;
// A property list's elements carry at most one attribute ("version").
const int MAX_ATTRIBUTES_PER_TAG = 8;
// Deeper nesting than this is not a saved unit state.
const int MAX_PLIST_DEPTH = 64;

// ---- base64 (strict: whitespace is skipped, anything else must be valid) ----

const char BASE64_ALPHABET[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Digit(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool DecodeBase64(const char* text, std::vector<uint8_t>& out) {
  out.clear();
  uint32_t group = 0;
  int inGroup = 0;
  int padding = 0;
  for (const char* p = text; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      // Padding only completes the last group of four.
      if (inGroup < 2) return false;
      ++padding;
      group <<= 6;
      ++inGroup;
    } else {
      const int d = Base64Digit(c);
      if (d < 0 || padding > 0) return false;
      group = (group << 6) | static_cast<uint32_t>(d);
      ++inGroup;
    }
    if (inGroup == 4) {
      out.push_back(static_cast<uint8_t>(group >> 16));
      if (padding < 2) out.push_back(static_cast<uint8_t>(group >> 8));
      if (padding < 1) out.push_back(static_cast<uint8_t>(group));
      group = 0;
      inGroup = 0;
      if (padding > 0) {
        // Nothing but whitespace may follow the padded group.
        for (const char* q = p + 1; *q; ++q)
          if (*q != ' ' && *q != '\t' && *q != '\r' && *q != '\n') return false;
        return true;
      }
    }
  }
  return inGroup == 0;
}

// ---- parsing ----

// Checks the raw text before the XML parser sees it, in one pass: a
// property list declares no entities and needs no internal document type
// subset (where entity declarations live), and its tags carry hardly any
// attributes. This keeps every form of entity expansion (nested, or one
// large entity used many times) and the parser's quadratic handling of
// many attributes in one tag away from the parser.
bool CheckMarkup(const std::string& xml, std::string& problem) {
  const size_t n = xml.size();
  size_t i = 0;
  auto skipTo = [&](const char* end) {
    const size_t at = xml.find(end, i);
    i = at == std::string::npos ? n : at + std::strlen(end);
  };
  while (i < n) {
    const size_t lt = xml.find('<', i);
    if (lt == std::string::npos) break;
    i = lt + 1;
    if (xml.compare(lt, 4, "<!--") == 0) {
      skipTo("-->");
    } else if (xml.compare(lt, 9, "<![CDATA[") == 0) {
      skipTo("]]>");
    } else if (xml.compare(lt, 2, "<?") == 0) {
      skipTo("?>");
    } else if (xml.compare(lt, 2, "<!") == 0) {
      // A document type declaration: only the external form is allowed.
      char quote = 0;
      for (; i < n; ++i) {
        const char c = xml[i];
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '[') {
          problem = "the document type declares entities or other markup (not allowed in a state)";
          return false;
        } else if (c == '>') {
          break;
        }
      }
    } else {
      // A tag: its attributes are counted outside quoted values.
      int attributes = 0;
      char quote = 0;
      for (; i < n; ++i) {
        const char c = xml[i];
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '=') {
          if (++attributes > MAX_ATTRIBUTES_PER_TAG) {
            problem = "a tag with too many attributes";
            return false;
          }
        } else if (c == '>') {
          break;
        }
      }
    }
  }
  return true;
}

struct PARSE_ERRORS {
  std::string first;
};

// The text of each <data> element, gathered by the parser's character
// callbacks instead of in the document tree. The tree keeps the parser's
// limit on one text node (a defence against crafted files); data text may be
// as long as the file allows, and the memory it takes is bounded by the file's
// size.
struct DATA_TEXT {
  std::unordered_map<const xmlNode*, std::string> text;
};

bool IsDataElement(const xmlNode* node) {
  return node && node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, BAD_CAST "data") == 0;
}

void CollectCharacters(void* context, const xmlChar* chars, int length) {
  xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(context);
  DATA_TEXT* data = static_cast<DATA_TEXT*>(ctxt->_private);
  if (data && IsDataElement(ctxt->node) && length > 0) {
    data->text[ctxt->node].append(reinterpret_cast<const char*>(chars), static_cast<size_t>(length));
    return;
  }
  xmlSAX2Characters(context, chars, length);
}

void CollectCData(void* context, const xmlChar* chars, int length) {
  xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(context);
  DATA_TEXT* data = static_cast<DATA_TEXT*>(ctxt->_private);
  if (data && IsDataElement(ctxt->node) && length > 0) {
    data->text[ctxt->node].append(reinterpret_cast<const char*>(chars), static_cast<size_t>(length));
    return;
  }
  xmlSAX2CDataBlock(context, chars, length);
}

void CollectXmlError(void* user, xmlErrorPtr error) {
  PARSE_ERRORS* errors = static_cast<PARSE_ERRORS*>(user);
  if (!error || !errors->first.empty()) return;
  std::string message = error->message ? error->message : "malformed XML";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  errors->first = "line " + std::to_string(error->line) + ": " + message;
}

bool IsElement(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, BAD_CAST name) == 0;
}

// The next element child at or after `node`; any text between elements must be
// whitespace (anything else makes the list malformed).
const xmlNode* NextElement(const xmlNode* node, bool& stray) {
  for (; node; node = node->next) {
    if (node->type == XML_ELEMENT_NODE) return node;
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
      for (const xmlChar* c = node->content; c && *c; ++c)
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') stray = true;
    } else if (node->type == XML_ENTITY_REF_NODE) {
      stray = true;
    }
  }
  return nullptr;
}

// The text of a leaf element: its text and CDATA children. Entity references
// (other than the predefined ones, which the parser has already replaced) are
// refused, so that no declared entity is ever expanded.
bool NodeText(const xmlNode* node, std::string& text) {
  text.clear();
  for (const xmlNode* c = node->children; c; c = c->next) {
    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
      if (c->content) text += reinterpret_cast<const char*>(c->content);
    } else if (c->type != XML_COMMENT_NODE && c->type != XML_PI_NODE) {
      return false;
    }
  }
  return true;
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  const size_t last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

bool HasElementChildren(const xmlNode* node) {
  for (const xmlNode* c = node->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE) return true;
  return false;
}

bool ConvertNode(const xmlNode* node, int depth, DATA_TEXT& data, PLIST_VALUE& out,
                 std::string& problem) {
  const std::string where = std::string("<") + reinterpret_cast<const char*>(node->name) +
                            "> at line " + std::to_string(xmlGetLineNo(node));
  if (depth > MAX_PLIST_DEPTH) {
    problem = "nesting too deep at " + where;
    return false;
  }
  const bool leaf = IsElement(node, "string") || IsElement(node, "integer") ||
                    IsElement(node, "real") || IsElement(node, "data") ||
                    IsElement(node, "true") || IsElement(node, "false");
  std::string raw;
  if (leaf && (HasElementChildren(node) || !NodeText(node, raw))) {
    problem = "unexpected content inside " + where;
    return false;
  }
  if (IsElement(node, "string")) {
    out = PLIST_VALUE::String(raw);
    return true;
  }
  if (IsElement(node, "integer")) {
    const std::string text = Trimmed(raw);
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
      problem = "bad integer \"" + text + "\" in " + where;
      return false;
    }
    out = PLIST_VALUE::Integer(v);
    return true;
  }
  if (IsElement(node, "real")) {
    const std::string text = Trimmed(raw);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
      problem = "bad number \"" + text + "\" in " + where;
      return false;
    }
    out = PLIST_VALUE::Real(v);
    return true;
  }
  if (IsElement(node, "true") || IsElement(node, "false")) {
    if (!Trimmed(raw).empty()) {
      problem = "unexpected text in " + where;
      return false;
    }
    out = PLIST_VALUE::Bool(IsElement(node, "true"));
    return true;
  }
  if (IsElement(node, "data")) {
    auto gathered = data.text.find(node);
    if (gathered != data.text.end()) {
      gathered->second += raw;
      raw.clear();
      raw.swap(gathered->second);
      data.text.erase(gathered);
    }
    out = PLIST_VALUE();
    out.kind = PLIST_VALUE::kData;
    out.bytes.reserve(raw.size() / 4 * 3 + 3);
    if (!DecodeBase64(raw.c_str(), out.bytes)) {
      problem = "bad base64 data in " + where;
      return false;
    }
    return true;
  }
  bool stray = false;
  if (IsElement(node, "array")) {
    out = PLIST_VALUE::Array();
    for (const xmlNode* c = NextElement(node->children, stray); c;
         c = NextElement(c->next, stray)) {
      PLIST_VALUE item;
      if (!ConvertNode(c, depth + 1, data, item, problem)) return false;
      out.items.push_back(std::move(item));
    }
    if (stray) {
      problem = "unexpected text in " + where;
      return false;
    }
    return true;
  }
  if (IsElement(node, "dict")) {
    out = PLIST_VALUE::Dict();
    std::unordered_set<std::string> seen;
    for (const xmlNode* k = NextElement(node->children, stray); k;
         k = NextElement(k->next, stray)) {
      if (!IsElement(k, "key") || HasElementChildren(k)) {
        problem = "expected <key> in " + where + ", found <" +
                  reinterpret_cast<const char*>(k->name) + ">";
        return false;
      }
      std::string key;
      if (!NodeText(k, key)) {
        problem = "unexpected content inside a <key> in " + where;
        return false;
      }
      const xmlNode* v = NextElement(k->next, stray);
      if (!v) {
        problem = "key \"" + key + "\" without a value in " + where;
        return false;
      }
      if (!seen.insert(key).second) {
        problem = "key \"" + key + "\" given twice in " + where;
        return false;
      }
      PLIST_VALUE value;
      if (!ConvertNode(v, depth + 1, data, value, problem)) return false;
      out.keys.push_back(key);
      out.items.push_back(std::move(value));
      k = v;
    }
    if (stray) {
      problem = "unexpected text in " + where;
      return false;
    }
    return true;
  }
  problem = "unsupported element " + where;
  return false;
}

// ---- formatting ----

bool WriteNode(xmlTextWriterPtr w, const PLIST_VALUE& v) {
  auto element = [&](const char* name, const std::string& text) {
    return xmlTextWriterWriteElement(w, BAD_CAST name, BAD_CAST text.c_str()) >= 0;
  };
  switch (v.kind) {
    case PLIST_VALUE::kString:
      return element("string", v.text);
    case PLIST_VALUE::kInteger:
      return element("integer", std::to_string(v.integer));
    case PLIST_VALUE::kReal: {
      char text[64];
      std::snprintf(text, sizeof(text), "%.17g", v.real);
      return element("real", text);
    }
    case PLIST_VALUE::kBool:
      return xmlTextWriterStartElement(w, BAD_CAST(v.flag ? "true" : "false")) >= 0 &&
             xmlTextWriterEndElement(w) >= 0;
    case PLIST_VALUE::kData:
      if (xmlTextWriterStartElement(w, BAD_CAST "data") < 0) return false;
      if (!v.bytes.empty() &&
          xmlTextWriterWriteBase64(w, reinterpret_cast<const char*>(v.bytes.data()), 0,
                                   static_cast<int>(v.bytes.size())) < 0)
        return false;
      return xmlTextWriterFullEndElement(w) >= 0;
    case PLIST_VALUE::kArray:
      if (xmlTextWriterStartElement(w, BAD_CAST "array") < 0) return false;
      for (const PLIST_VALUE& item : v.items)
        if (!WriteNode(w, item)) return false;
      return xmlTextWriterFullEndElement(w) >= 0;
    case PLIST_VALUE::kDict:
      if (xmlTextWriterStartElement(w, BAD_CAST "dict") < 0) return false;
      for (size_t i = 0; i < v.keys.size() && i < v.items.size(); ++i)
        if (!element("key", v.keys[i]) || !WriteNode(w, v.items[i])) return false;
      return xmlTextWriterFullEndElement(w) >= 0;
  }
  return false;
}

// An upper bound of the formatted size of a value (base64 with its line
// breaks and the indentation of each element), and the first text too long
// for the reader. Checked before formatting, so that a state the reader would
// refuse is neither built in memory nor written.
bool CheckWritable(const PLIST_VALUE& v, int depth, unsigned long long& bytes, std::string& problem) {
  const unsigned long long markup = 32 + static_cast<unsigned long long>(depth);
  auto text = [&](const std::string& t, const char* what) {
    if (t.size() > MAX_TEXT_BYTES) {
      problem = std::string("a ") + what + " of " + std::to_string(t.size()) +
                " bytes (at most " + std::to_string(MAX_TEXT_BYTES) + " can be read back)";
      return false;
    }
    // Escapes such as "&quot;" take at most six bytes for one.
    bytes += markup + 6ULL * t.size();
    return true;
  };
  switch (v.kind) {
    case PLIST_VALUE::kString:
      return text(v.text, "string");
    case PLIST_VALUE::kData: {
      const unsigned long long encoded = (v.bytes.size() + 2) / 3 * 4;
      bytes += markup + encoded + encoded / 36 + 2;  // a line break of two bytes every 72
      return true;
    }
    case PLIST_VALUE::kDict:
      for (size_t i = 0; i < v.keys.size() && i < v.items.size(); ++i)
        if (!text(v.keys[i], "key") || !CheckWritable(v.items[i], depth + 1, bytes, problem)) return false;
      bytes += markup;
      return true;
    case PLIST_VALUE::kArray:
      for (const PLIST_VALUE& item : v.items)
        if (!CheckWritable(item, depth + 1, bytes, problem)) return false;
      bytes += markup;
      return true;
    default:
      bytes += markup + 32;
      return true;
  }
}

}  // namespace

// ---- PLIST_VALUE ----

PLIST_VALUE PLIST_VALUE::String(const std::string& s) {
  PLIST_VALUE v;
  v.kind = kString;
  v.text = s;
  return v;
}

PLIST_VALUE PLIST_VALUE::Integer(int64_t i) {
  PLIST_VALUE v;
  v.kind = kInteger;
  v.integer = i;
  return v;
}

PLIST_VALUE PLIST_VALUE::Real(double r) {
  PLIST_VALUE v;
  v.kind = kReal;
  v.real = r;
  return v;
}

PLIST_VALUE PLIST_VALUE::Bool(bool b) {
  PLIST_VALUE v;
  v.kind = kBool;
  v.flag = b;
  return v;
}

PLIST_VALUE PLIST_VALUE::Data(const std::vector<uint8_t>& b) {
  PLIST_VALUE v;
  v.kind = kData;
  v.bytes = b;
  return v;
}

PLIST_VALUE PLIST_VALUE::Dict() {
  PLIST_VALUE v;
  v.kind = kDict;
  return v;
}

PLIST_VALUE PLIST_VALUE::Array() {
  PLIST_VALUE v;
  v.kind = kArray;
  return v;
}

const PLIST_VALUE* PLIST_VALUE::Find(const std::string& key) const {
  if (kind != kDict) return nullptr;
  for (size_t i = 0; i < keys.size() && i < items.size(); ++i)
    if (keys[i] == key) return &items[i];
  return nullptr;
}

void PLIST_VALUE::Set(const std::string& key, const PLIST_VALUE& value) {
  for (size_t i = 0; i < keys.size() && i < items.size(); ++i) {
    if (keys[i] == key) {
      items[i] = value;
      return;
    }
  }
  keys.push_back(key);
  items.push_back(value);
}

bool operator==(const PLIST_VALUE& a, const PLIST_VALUE& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case PLIST_VALUE::kString: return a.text == b.text;
    case PLIST_VALUE::kInteger: return a.integer == b.integer;
    case PLIST_VALUE::kReal: return a.real == b.real;
    case PLIST_VALUE::kBool: return a.flag == b.flag;
    case PLIST_VALUE::kData: return a.bytes == b.bytes;
    case PLIST_VALUE::kDict: return a.keys == b.keys && a.items == b.items;
    case PLIST_VALUE::kArray: return a.items == b.items;
  }
  return false;
}

// ---- CAuPresetFile ----

bool CAuPresetFile::Parse(const std::string& xml, const std::string& name, PLIST_VALUE& root,
                          std::string& error) {
  std::string markup;
  if (!CheckMarkup(xml, markup)) {
    error = name + ": not a readable XML property list (" + markup + ")";
    return false;
  }
  if (xml.size() > static_cast<size_t>(MAX_STATE_FILE_BYTES)) {
    error = name + ": state too large";
    return false;
  }
  PARSE_ERRORS errors;
  DATA_TEXT data;
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (!ctxt || !ctxt->sax) {
    if (ctxt) xmlFreeParserCtxt(ctxt);
    error = name + ": not a readable XML property list (out of memory)";
    return false;
  }
  // The text of <data> elements goes to our own buffers (see DATA_TEXT).
  ctxt->_private = &data;
  ctxt->sax->characters = CollectCharacters;
  ctxt->sax->ignorableWhitespace = CollectCharacters;
  ctxt->sax->cdataBlock = CollectCData;
  xmlSetStructuredErrorFunc(&errors, CollectXmlError);
  // No network, no DTD loading, no entity substitution and the parser's own
  // limits on input size kept: the document type line of a property list is
  // only a marker.
  xmlDocPtr doc = xmlCtxtReadMemory(ctxt, xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  xmlFreeParserCtxt(ctxt);
  if (!doc) {
    error = name + ": not a readable XML property list (" +
            (errors.first.empty() ? std::string("malformed XML") : errors.first) + ")";
    return false;
  }
  const xmlNode* top = xmlDocGetRootElement(doc);
  std::string problem;
  PLIST_VALUE value;
  bool ok = false;
  if (!top || !IsElement(top, "plist")) {
    problem = "the document is not a <plist>";
  } else {
    bool stray = false;
    const xmlNode* first = NextElement(top->children, stray);
    if (!first) {
      problem = "the <plist> is empty";
    } else if (NextElement(first->next, stray)) {
      problem = "the <plist> holds more than one value";
    } else if (stray) {
      problem = "unexpected text in <plist>";
    } else {
      ok = ConvertNode(first, 0, data, value, problem);
    }
  }
  xmlFreeDoc(doc);
  if (!ok) {
    error = name + ": not a valid property list (" + problem + ")";
    return false;
  }
  root = std::move(value);
  return true;
}

bool CAuPresetFile::Format(const PLIST_VALUE& root, std::string& xml) {
  xmlBufferPtr buffer = xmlBufferCreate();
  if (!buffer) return false;
  // The text grows by doubling: a state with samples is written in many
  // small pieces, and growing by each piece's size would copy it over and
  // over.
  xmlBufferSetAllocationScheme(buffer, XML_BUFFER_ALLOC_DOUBLEIT);
  xmlTextWriterPtr w = xmlNewTextWriterMemory(buffer, 0);
  if (!w) {
    xmlBufferFree(buffer);
    return false;
  }
  // The document type stays on one line (the writer breaks it when
  // indenting); the elements are indented with tabs.
  bool ok = xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr) >= 0 &&
            xmlTextWriterWriteDTD(w, BAD_CAST "plist", BAD_CAST "-//Apple//DTD PLIST 1.0//EN",
                                  BAD_CAST "http://www.apple.com/DTDs/PropertyList-1.0.dtd",
                                  nullptr) >= 0 &&
            xmlTextWriterWriteRaw(w, BAD_CAST "\n") >= 0 &&
            xmlTextWriterSetIndent(w, 1) >= 0 &&
            xmlTextWriterSetIndentString(w, BAD_CAST "\t") >= 0 &&
            xmlTextWriterStartElement(w, BAD_CAST "plist") >= 0 &&
            xmlTextWriterWriteAttribute(w, BAD_CAST "version", BAD_CAST "1.0") >= 0 &&
            WriteNode(w, root) && xmlTextWriterEndElement(w) >= 0 &&
            xmlTextWriterEndDocument(w) >= 0;
  xmlFreeTextWriter(w);  // flushes into the buffer
  if (ok) xml.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                     static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  return ok;
}

bool CAuPresetFile::CheckStateShape(const PLIST_VALUE& root, std::string& problem) {
  if (root.kind != PLIST_VALUE::kDict) {
    problem = "the property list is not a dictionary";
    return false;
  }
  struct REQUIRED {
    const char* key;
    PLIST_VALUE::Kind kind;
    const char* what;
  };
  const REQUIRED required[] = {
      {"type", PLIST_VALUE::kInteger, "an integer"},
      {"subtype", PLIST_VALUE::kInteger, "an integer"},
      {"manufacturer", PLIST_VALUE::kInteger, "an integer"},
      {"version", PLIST_VALUE::kInteger, "an integer"},
      {"name", PLIST_VALUE::kString, "a string"},
      {"data", PLIST_VALUE::kData, "data"},
  };
  for (const REQUIRED& r : required) {
    const PLIST_VALUE* v = root.Find(r.key);
    if (!v) {
      problem = std::string("missing key \"") + r.key + "\"";
      return false;
    }
    if (v->kind != r.kind) {
      problem = std::string("key \"") + r.key + "\" is not " + r.what;
      return false;
    }
  }
  return true;
}

bool CAuPresetFile::Read(const char* path, PLIST_VALUE& state, std::string& error) {
  const std::string name = path ? path : "";
  // Opened without blocking and checked to be a regular file: a FIFO or a
  // device is refused, not waited on.
  FILE* file = Platform::OpenRegularFile(path);
  if (!file) {
    error = name + ": cannot open state file: " + Platform::OpenErrorText(errno);
    return false;
  }
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || info.st_size > MAX_STATE_FILE_BYTES) {
    std::fclose(file);
    error = name + ": state file too large";
    return false;
  }
  std::string xml;
  xml.reserve(static_cast<size_t>(info.st_size));
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
    xml.append(chunk, n);
    if (static_cast<long long>(xml.size()) > MAX_STATE_FILE_BYTES) break;
  }
  const bool readError = std::ferror(file) != 0;
  std::fclose(file);
  if (readError) {
    error = name + ": cannot read state file";
    return false;
  }
  if (static_cast<long long>(xml.size()) > MAX_STATE_FILE_BYTES) {
    error = name + ": state file too large";
    return false;
  }
  PLIST_VALUE root;
  if (!Parse(xml, name, root, error)) return false;
  std::string problem;
  if (!CheckStateShape(root, problem)) {
    error = name + ": not a saved unit state (" + problem + ")";
    return false;
  }
  state = std::move(root);
  return true;
}

bool CAuPresetFile::Write(const char* path, const PLIST_VALUE& state, std::string& error) {
  const std::string name = path ? path : "";
  unsigned long long bound = 256;
  std::string problem;
  if (!CheckWritable(state, 0, bound, problem)) {
    error = name + ": state not saved: it holds " + problem;
    return false;
  }
  if (bound > static_cast<unsigned long long>(MAX_STATE_FILE_BYTES)) {
    error = name + ": state not saved: it would take about " + std::to_string(bound >> 20) +
            " MB, more than a state file can hold (" + std::to_string(MAX_STATE_FILE_BYTES >> 20) +
            " MB)";
    return false;
  }
  std::string xml;
  if (!Format(state, xml)) {
    error = name + ": cannot format the state as a property list";
    return false;
  }
  return AtomicFile::Write(path, xml.data(), xml.size(), error);
}

int64_t CAuPresetFile::FourCharCode(const char code[4]) {
  const uint32_t v = (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
                     (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
  return static_cast<int32_t>(v);
}
