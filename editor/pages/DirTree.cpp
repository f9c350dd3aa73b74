#include "editor/pages/DirTree.h"

#include <algorithm>

#include "editor/pages/FolderListing.h"

namespace {

bool NodeBefore(const CDirNode* a, const CDirNode* b) { return FolderListing::SortPredicate(a->GetName(), b->GetName()); }

}  // namespace

CDirNode::CDirNode(const std::string& name, const std::string& path) : m_path(path) { SetName(name); }

CDirNode::~CDirNode() {
  for (CDirNode* child : m_children) delete child;
}

void CDirNode::SetName(const std::string& name) {
  m_name = name;
  m_shownName = FolderListing::ShowableName(name);
}

CDirNode* CDirNode::AddChild(CDirNode* child) {
  if (!child) return nullptr;
  child->SetParent(this);
  // Insertion after every equal name keeps the order of arrival for those,
  // and appending in order (as the scan does) costs no moves.
  auto at = std::upper_bound(m_children.begin(), m_children.end(), child, NodeBefore);
  m_children.insert(at, child);
  m_cursor = 0;
  return child;
}

void CDirNode::ResetTraverse() {
  m_cursor = 0;
  for (CDirNode* child : m_children) child->ResetTraverse();
}

CDirNode* CDirNode::GetNextChild() {
  if (m_cursor >= m_children.size()) return nullptr;
  return m_children[m_cursor++];
}

// Set from the target upwards, which costs the depth rather than a search
// of the whole subtree.
bool CDirNode::TraverseToNode(CDirNode* target) {
  bool inside = false;
  for (const CDirNode* n = target; n; n = n->m_parent) {
    if (n == this) inside = true;
  }
  if (!inside) return false;
  target->m_cursor = 0;
  for (CDirNode* n = target; n != this; n = n->m_parent) {
    const std::vector<CDirNode*>& siblings = n->m_parent->m_children;
    n->m_parent->m_cursor = static_cast<size_t>(std::find(siblings.begin(), siblings.end(), n) - siblings.begin()) + 1;
  }
  return true;
}

CDirNode* CDirNode::GetLastChild() {
  if (m_children.empty()) return nullptr;
  CDirNode* node = m_children.back();
  while (!node->m_children.empty()) node = node->m_children.back();
  return node;
}

CDirNode* CDirNode::GetPrevChild() {
  if (!m_parent) return nullptr;
  const std::vector<CDirNode*>& siblings = m_parent->m_children;
  auto at = std::find(siblings.begin(), siblings.end(), this);
  if (at == siblings.begin() || at == siblings.end()) return m_parent;
  CDirNode* previous = *(at - 1);
  CDirNode* last = previous->GetLastChild();
  return last ? last : previous;
}

CDirNode* CDirNode::FindDir(const std::string& path) {
  if (m_path == path) return this;
  for (CDirNode* child : m_children) {
    if (CDirNode* found = child->FindDir(path)) return found;
  }
  return nullptr;
}

unsigned int CDirNode::GetVisibleCount() const {
  if (!m_expanded) return 0;
  unsigned int count = 0;
  for (const CDirNode* child : m_children) count += child->GetVisibleCount() + 1;
  return count;
}

unsigned int CDirNode::GetCount() const {
  unsigned int count = 1;
  for (const CDirNode* child : m_children) count += child->GetCount();
  return count;
}

void CDirTree::SetRoot(CDirNode* node) {
  Clear();
  m_root = node;
  if (m_root) m_root->SetParent(nullptr);
}

CDirNode* CDirTree::AddChild(CDirNode* parent, CDirNode* child) {
  if (!parent) {
    delete child;
    return nullptr;
  }
  return parent->AddChild(child);
}

bool CDirTree::TraverseToNode(CDirNode* node) {
  if (!m_root || !node) return false;
  return m_root->TraverseToNode(node);
}

void CDirTree::Clear() {
  delete m_root;
  m_root = nullptr;
}
