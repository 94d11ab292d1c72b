// The player nudge's desktop on X11: top-level windows in stacking order, their titles, focus, and
// key events synthesized with the XTest extension, whose library is opened when a desktop is first
// opened (most runs never nudge a player, and the library would take memory from start-up on). No
// header of the program may follow the X11 headers (they define None, Status and Bool as macros);
// its own comes first.
#include "platform/player_nudge.h"

#include <dlfcn.h>

#include <cstdlib>
#include <optional>
#include <utility>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#undef None
#undef Status
#undef Bool

namespace platform::player {

namespace {

// The two XTest calls, from the library opened on first use; null when it is not there.
struct XTest {
    decltype(&XTestQueryExtension) queryExtension = nullptr;
    decltype(&XTestFakeKeyEvent) fakeKeyEvent = nullptr;
};

const XTest& xtest() {
    static const XTest calls = [] {
        XTest c;
        if (void* lib = ::dlopen("libXtst.so.6", RTLD_LAZY | RTLD_LOCAL)) {
            c.queryExtension =
                reinterpret_cast<decltype(c.queryExtension)>(::dlsym(lib, "XTestQueryExtension"));
            c.fakeKeyEvent =
                reinterpret_cast<decltype(c.fakeKeyEvent)>(::dlsym(lib, "XTestFakeKeyEvent"));
        }
        return c;
    }();
    return calls;
}

constexpr Window kNoWindow = 0;      // X11's None
constexpr long kSourcePager = 2;     // _NET_ACTIVE_WINDOW: asked for on the operator's behalf
constexpr long kMaxTitleLongs = 256; // titles up to 1 KiB; a longer one is no player's title
constexpr long kMaxListLongs = 1L << 20;
constexpr int kMaxClientDepth = 4;

// A window may go away between two requests; its errors are answered quietly while the nudge
// holds the connection, instead of ending the program.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

std::string latin1ToUtf8(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

class X11Desktop final : public Desktop {
public:
    explicit X11Desktop(Display* display)
        : display_(display), root_(DefaultRootWindow(display)),
          previousHandler_(XSetErrorHandler(ignoreError)),
          clientListStacking_(atom("_NET_CLIENT_LIST_STACKING")), netWmName_(atom("_NET_WM_NAME")),
          utf8String_(atom("UTF8_STRING")), compoundText_(atom("COMPOUND_TEXT")),
          wmState_(atom("WM_STATE")), activeWindow_(atom("_NET_ACTIVE_WINDOW")) {}

    ~X11Desktop() override {
        XSync(display_, False);
        XSetErrorHandler(previousHandler_);
        XCloseDisplay(display_);
    }

    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    std::vector<WindowId> findWindows(const std::string& title, std::size_t limit) override {
        // Bottom to top: the window manager's list of its clients, or else the root's children.
        std::vector<Window> stack = windowList(root_, clientListStacking_);
        if (stack.empty()) {
            for (const Window top : children(root_))
                stack.push_back(clientOf(top));
        }
        std::vector<WindowId> found;
        for (auto it = stack.rbegin(); it != stack.rend() && found.size() < limit; ++it) {
            if (titleOf(*it) == title)
                found.push_back(*it);
        }
        return found;
    }

    void activate(WindowId id) override {
        const auto window = static_cast<Window>(id);
        // A window manager raises, maps and focuses on this request...
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = activeWindow_;
        event.xclient.format = 32;
        event.xclient.data.l[0] = kSourcePager;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
        // ...and without one the window is raised and focused here.
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, window, &attributes) &&
            attributes.map_state == IsViewable) {
            XRaiseWindow(display_, window);
            XSetInputFocus(display_, window, RevertToParent, CurrentTime);
        }
        XSync(display_, False);
    }

    bool hasFocus(WindowId id) override {
        Window focus = kNoWindow;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        for (Window at = focus; at != kNoWindow && at != PointerRoot && at != root_;
             at = parentOf(at)) {
            if (at == static_cast<Window>(id))
                return true;
        }
        return false;
    }

    void key(Key key, bool down) override {
        const KeySym symbol = key == Key::Control ? XK_Control_L : key == Key::S ? XK_s : XK_o;
        const KeyCode code = XKeysymToKeycode(display_, symbol);
        if (code == 0)
            return;
        xtest().fakeKeyEvent(display_, code, down ? True : False, CurrentTime);
        XSync(display_, False);
    }

private:
    Atom atom(const char* name) { return XInternAtom(display_, name, False); }

    // A property of format 8 with its type; nothing when missing or too long to read at once.
    std::optional<std::pair<Atom, std::string>> textProperty(Window window, Atom name) {
        Atom type = kNoWindow;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<std::pair<Atom, std::string>> result;
        if (XGetWindowProperty(display_, window, name, 0, kMaxTitleLongs, False, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            data && format == 8 && after == 0)
            result.emplace(type, std::string(reinterpret_cast<const char*>(data), count));
        if (data)
            XFree(data);
        return result;
    }

    // A list of windows kept in a property (format 32 items are longs in memory).
    std::vector<Window> windowList(Window window, Atom name) {
        Atom type = kNoWindow;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<Window> list;
        if (XGetWindowProperty(display_, window, name, 0, kMaxListLongs, False, XA_WINDOW, &type,
                               &format, &count, &after, &data) == Success &&
            data && type == XA_WINDOW && format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            list.assign(items, items + count);
        }
        if (data)
            XFree(data);
        return list;
    }

    // Bottom to top.
    std::vector<Window> children(Window window) {
        Window rootReturn = kNoWindow, parent = kNoWindow;
        Window* list = nullptr;
        unsigned int count = 0;
        std::vector<Window> result;
        if (XQueryTree(display_, window, &rootReturn, &parent, &list, &count) && list)
            result.assign(list, list + count);
        if (list)
            XFree(list);
        return result;
    }

    Window parentOf(Window window) {
        Window rootReturn = kNoWindow, parent = kNoWindow;
        Window* list = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_, window, &rootReturn, &parent, &list, &count))
            parent = kNoWindow;
        if (list)
            XFree(list);
        return parent;
    }

    bool hasWmState(Window window) {
        Atom type = kNoWindow;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, window, wmState_, 0, 0, False, AnyPropertyType, &type, &format,
                           &count, &after, &data);
        if (data)
            XFree(data);
        return type != kNoWindow;
    }

    // Under a window manager that frames its windows the title is on the client window inside
    // the frame, the one with WM_STATE; without one the top-level window is the client.
    Window clientOf(Window top) {
        if (hasWmState(top))
            return top;
        const Window inner = clientBelow(top, 0);
        return inner != kNoWindow ? inner : top;
    }

    Window clientBelow(Window window, int depth) {
        if (depth >= kMaxClientDepth)
            return kNoWindow;
        const std::vector<Window> below = children(window);
        for (const Window child : below) {
            if (hasWmState(child))
                return child;
        }
        for (const Window child : below) {
            if (const Window found = clientBelow(child, depth + 1); found != kNoWindow)
                return found;
        }
        return kNoWindow;
    }

    // _NET_WM_NAME (UTF-8) first, else WM_NAME; as UTF-8, nothing when the window has no title
    // that can be read.
    std::optional<std::string> titleOf(Window window) {
        if (auto name = textProperty(window, netWmName_); name && name->first == utf8String_)
            return name->second;
        auto name = textProperty(window, XA_WM_NAME);
        if (!name)
            return std::nullopt;
        if (name->first == utf8String_)
            return name->second;
        // Compound text without escape sequences is Latin-1, as STRING is.
        if (name->first == XA_STRING ||
            (name->first == compoundText_ && name->second.find('\x1b') == std::string::npos))
            return latin1ToUtf8(name->second);
        return std::nullopt;
    }

    Display* display_;
    Window root_;
    XErrorHandler previousHandler_;
    Atom clientListStacking_, netWmName_, utf8String_, compoundText_, wmState_, activeWindow_;
};

} // namespace

std::unique_ptr<Desktop> openX11Desktop() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name || !xtest().queryExtension || !xtest().fakeKeyEvent)
        return nullptr;
    Display* display = XOpenDisplay(name);
    if (!display)
        return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!xtest().queryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<X11Desktop>(display);
}

} // namespace platform::player
