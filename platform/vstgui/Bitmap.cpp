// Named artwork drawn by code, and bitmaps that share it.

#include "platform/vstgui/Bitmap.h"

#include <cairo.h>

#include <map>
#include <mutex>

#include "platform/vstgui/DrawContext.h"

namespace {

struct RESOURCE {
  int width = 0;
  int height = 0;
  CBitmapResources::Painter painter;
  cairo_surface_t* image = nullptr;  // drawn at first load
};

struct REGISTRY {
  std::mutex lock;
  std::map<std::string, RESOURCE> resources;
  std::map<std::string, cairo_surface_t*> files;  // PNG files loaded
  std::string searchFolder;
};

REGISTRY& Registry() {
  static REGISTRY* registry = new REGISTRY();  // lives to the end of the process
  return *registry;
}

const int MAX_SIDE = 8192;

}  // namespace

void CBitmapResources::add(const char* name, int width, int height, Painter painter) {
  if (!name || width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE) return;
  REGISTRY& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  RESOURCE& res = r.resources[name];
  if (res.image) cairo_surface_destroy(res.image);
  res.image = nullptr;
  res.width = width;
  res.height = height;
  res.painter = painter;
}

void CBitmapResources::addStrip(const char* name, int frameWidth, int frameHeight, int frameCount,
                                FramePainter painter) {
  if (frameWidth < 1 || frameHeight < 1 || frameCount < 1 || frameCount > MAX_SIDE ||
      (long)frameHeight * frameCount > MAX_SIDE)
    return;
  add(name, frameWidth, frameHeight * frameCount,
      [=](CDrawContext& context, CCoord width, CCoord height) {
        if (!painter) return;
        for (int k = 0; k < frameCount; k++) {
          CRect frameRect(0, (CCoord)k * frameHeight, frameWidth, (CCoord)(k + 1) * frameHeight);
          context.saveGlobalState();
          context.setClipRect(frameRect);
          painter(context, frameRect, k, frameCount);
          context.restoreGlobalState();
        }
      });
}

bool CBitmapResources::has(const char* name) {
  if (!name) return false;
  REGISTRY& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.resources.count(name) != 0;
}

bool CBitmapResources::size(const char* name, int& width, int& height) {
  if (!name) return false;
  REGISTRY& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.resources.find(name);
  if (it == r.resources.end()) return false;
  width = it->second.width;
  height = it->second.height;
  return true;
}

void CBitmapResources::remove(const char* name) {
  if (!name) return;
  REGISTRY& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.resources.find(name);
  if (it == r.resources.end()) return;
  if (it->second.image) cairo_surface_destroy(it->second.image);
  r.resources.erase(it);
}

void CBitmapResources::clear() {
  REGISTRY& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (auto& it : r.resources)
    if (it.second.image) cairo_surface_destroy(it.second.image);
  r.resources.clear();
  for (auto& it : r.files) cairo_surface_destroy(it.second);
  r.files.clear();
}

void CBitmapResources::setSearchFolder(const char* folder) {
  REGISTRY& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.searchFolder = folder ? folder : "";
}

cairo_surface_t* CBitmapResources::load(const char* name) {
  if (!name || !*name) return nullptr;
  REGISTRY& r = Registry();
  Painter painter;
  int width = 0, height = 0;
  {
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.resources.find(name);
    if (it != r.resources.end()) {
      if (it->second.image) return cairo_surface_reference(it->second.image);
      painter = it->second.painter;
      width = it->second.width;
      height = it->second.height;
    } else {
      auto f = r.files.find(name);
      if (f != r.files.end()) return cairo_surface_reference(f->second);
      if (r.searchFolder.empty() || std::string(name).find("..") != std::string::npos) return nullptr;
      std::string path = r.searchFolder + "/" + name;
      cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
      if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
      }
      r.files[name] = image;
      return cairo_surface_reference(image);
    }
  }
  // Draw outside the registry lock: a painter may load other bitmaps. The
  // painters themselves run one at a time (recursively on one thread), since
  // instances built on several threads at once would otherwise draw text
  // through cairo's shared font caches together.
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (painter) {
    static std::recursive_mutex paintLock;
    std::lock_guard<std::recursive_mutex> paintGuard(paintLock);
    CDrawContext context(image);
    painter(context, width, height);
  }
  cairo_surface_flush(image);
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.resources.find(name);
  if (it != r.resources.end() && !it->second.image && it->second.width == width &&
      it->second.height == height)
    it->second.image = cairo_surface_reference(image);
  return image;
}

// ---------------------------------------------------------------------------

CBitmap::CBitmap(const char* resourceName) : name(resourceName ? resourceName : ""), named(true) {}

cairo_surface_t* CBitmap::image() const {
  if (named)
    std::call_once(loaded, [this] {
      surface = CBitmapResources::load(name.c_str());
      drawn = true;
    });
  return surface;
}

CBitmap::CBitmap(CCoord width, CCoord height) {
  int w = (int)width, h = (int)height;
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  if (w > MAX_SIDE) w = MAX_SIDE;
  if (h > MAX_SIDE) h = MAX_SIDE;
  surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
}

CBitmap::~CBitmap() {
  if (surface) cairo_surface_destroy(surface);
}

CCoord CBitmap::getWidth() const {
  int width = 0, height = 0;
  if (named && !drawn && CBitmapResources::size(name.c_str(), width, height)) return width;
  cairo_surface_t* s = image();
  return s ? cairo_image_surface_get_width(s) : 0;
}
CCoord CBitmap::getHeight() const {
  int width = 0, height = 0;
  if (named && !drawn && CBitmapResources::size(name.c_str(), width, height)) return height;
  cairo_surface_t* s = image();
  return s ? cairo_image_surface_get_height(s) : 0;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
  if (context) context->drawBitmap(this, rect, offset, 1.f);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
  if (context) context->drawBitmap(this, rect, offset, 1.f);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset,
                             unsigned char alpha) {
  if (context) context->drawBitmap(this, rect, offset, alpha / 255.f);
}
