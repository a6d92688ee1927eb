#include "editor/toolkit/editor_frame.h"

#include "editor/toolkit/frame_owner.h"
#include "editor/toolkit/frame_window.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

#include "platform/tick_count.h"

#include <cairo.h>

#include <new>

namespace quorvix {

namespace {

// How long one poll of a mouse interaction waits for the pointer to move.
constexpr int kPollWaitMs = 5;

} // namespace

// Forwards the window's events to the frame.
class CFrameEvents : public CWindowEvents {
public:
    explicit CFrameEvents(CEditorFrame& frame) : m_frame(frame) {}
    void onExpose(const CRect& area) override { m_frame.paint(area); }
    void onButtonPress(CPoint where) override { m_frame.mouseDown(where); }
    void onWheelStep(CPoint, float distance) override { m_frame.onWheel(distance); }
    void onKey(const CKeyEvent& key, bool down) override { down ? m_frame.onKeyDown(key) : m_frame.onKeyUp(key); }
    void onDrop(const CDropData& data, CPoint where) override { m_frame.onDrop(data, where); }
    void onWindowDestroyed() override { m_frame.m_open = false; }
    void onFocusOut() override { m_frame.setFocusedView(nullptr); }

private:
    CEditorFrame& m_frame;
};

CEditorFrame::CEditorFrame(const CRect& size, unsigned long parentWindow, CFrameOwner* owner)
    : CWidget(size), m_owner(owner), m_events(std::make_unique<CFrameEvents>(*this))
{
    m_backBuffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(size.width(), 1), std::max(size.height(), 1));
    if (parentWindow) {
        auto window = std::make_unique<CFrameWindow>(parentWindow, size.width(), size.height(), *m_events);
        if (window->isValid())
            m_window = std::move(window);
    }
}

CEditorFrame::~CEditorFrame()
{
    removeAllViews(true);
    setExclusiveView(nullptr);
    if (m_background)
        m_background->release();
    m_window.reset();
    cairo_surface_destroy(m_backBuffer);
}

bool CEditorFrame::hasWindow() const { return m_window && m_window->window() != 0; }

CSkinImage* CEditorFrame::snapshot() const
{
    const int width = cairo_image_surface_get_width(m_backBuffer);
    const int height = cairo_image_surface_get_height(m_backBuffer);
    auto* image = new CSkinImage(width, height);
    cairo_t* cr = cairo_create(image->surface());
    cairo_set_source_surface(cr, m_backBuffer, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return image;
}

void CEditorFrame::showOnWindow(const CRect& area)
{
    if (m_window)
        m_window->show(m_backBuffer, area);
}

void CEditorFrame::draw(CPainter& painter)
{
    m_firstDrawPending = false;
    if (m_background)
        m_background->draw(painter, CRect::sized(0, 0, m_background->width(), m_background->height()));
    for (CWidget* view : m_views)
        view->draw(painter);
    if (m_modalView)
        m_modalView->draw(painter);
}

void CEditorFrame::drawPart(CPainter& painter, const CRect& rect)
{
    m_firstDrawPending = false;
    const CRect previousClip = painter.clipRect();
    painter.setClipRect(previousClip.intersection(rect));
    if (m_background)
        m_background->draw(painter, rect, rect.topLeft());
    for (CWidget* view : m_views)
        if (view->overlaps(rect))
            view->drawPart(painter, rect);
    if (m_modalView && m_modalView->overlaps(rect))
        m_modalView->draw(painter);
    painter.setClipRect(previousClip);
}

void CEditorFrame::paint(const CRect& area)
{
    CPainter painter(this);
    drawPart(painter, area);
}

void CEditorFrame::mouseDown(CPoint where)
{
    CPainter painter(this);
    onMouseDown(painter, where);
}

void CEditorFrame::onMouseDown(CPainter& painter, CPoint where)
{
    if (m_inMouseDown)
        return;
    m_inMouseDown = true;
    // A click elsewhere takes the focus away, which ends a text entry.
    if (m_focusView && !m_focusView->getBounds().contains(where))
        setFocusedView(nullptr);
    const int buttons = buttonState();
    if (m_modalView) {
        if (m_modalView->hitTest(where, buttons))
            m_modalView->onMouseDown(painter, where);
    } else {
        for (auto it = m_views.rbegin(); it != m_views.rend(); ++it) {
            CWidget* view = *it;
            if (view->isClickable() && view->hitTest(where, buttons)) {
                view->onMouseDown(painter, where);
                break;
            }
        }
    }
    m_inMouseDown = false;
}

int CEditorFrame::onKeyDown(const CKeyEvent& key)
{
    if (m_focusView) {
        if (const int result = m_focusView->onKeyDown(key); result != -1)
            return result;
    }
    if (m_modalView) {
        if (const int result = m_modalView->onKeyDown(key); result != -1)
            return result;
    }
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it)
        if (const int result = (*it)->onKeyDown(key); result != -1)
            return result;
    return -1;
}

int CEditorFrame::onKeyUp(const CKeyEvent& key)
{
    if (m_focusView) {
        if (const int result = m_focusView->onKeyUp(key); result != -1)
            return result;
    }
    if (m_modalView) {
        if (const int result = m_modalView->onKeyUp(key); result != -1)
            return result;
    }
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it)
        if (const int result = (*it)->onKeyUp(key); result != -1)
            return result;
    return -1;
}

bool CEditorFrame::onWheel(CPainter& painter, CPoint, float distance)
{
    const CPoint cursor = cursorPosition();
    CWidget* target = m_modalView;
    if (!target)
        for (auto it = m_views.rbegin(); it != m_views.rend() && !target; ++it)
            if ((*it)->getBounds().contains(cursor))
                target = *it;
    return target ? target->onWheel(painter, cursor, distance) : false;
}

bool CEditorFrame::onWheel(float distance)
{
    CPainter painter(this);
    return onWheel(painter, cursorPosition(), distance);
}

bool CEditorFrame::onDrop(const CDropData& data, CPoint where)
{
    if (m_modalView || m_focusView)
        return false;
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it) {
        CWidget* view = *it;
        if (view->isClickable() && view->getBounds().contains(where) && view->onDrop(data, where))
            return true;
    }
    return false;
}

void CEditorFrame::update(CPainter& painter)
{
    if (!m_open)
        return;
    if (m_modalView) {
        m_modalView->update(painter);
    } else if (isDirty()) {
        draw(painter);
        setDirty(false);
    } else {
        for (CWidget* view : m_views)
            view->update(painter);
    }
}

bool CEditorFrame::addView(CWidget* view)
{
    if (!view)
        return false;
    try {
        m_views.push_back(view);
    } catch (const std::bad_alloc&) {
        return false;
    }
    view->setFrame(this);
    view->onAttach(this);
    return true;
}

bool CEditorFrame::removeView(CWidget* view, bool withRelease)
{
    const auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end())
        return false;
    // A removed view must not stay the focus view, nor the view that a click or key reaches.
    if (m_focusView == view)
        setFocusedView(nullptr);
    m_views.erase(it);
    view->onDetach(this);
    if (withRelease)
        view->release();
    return true;
}

bool CEditorFrame::removeAllViews(bool withRelease)
{
    setFocusedView(nullptr);
    while (!m_views.empty())
        removeView(m_views.front(), withRelease);
    return true;
}

bool CEditorFrame::contains(const CWidget* view) const
{
    return std::find(m_views.begin(), m_views.end(), view) != m_views.end();
}

CWidget* CEditorFrame::viewAt(int index) const
{
    return index >= 0 && index < viewCount() ? m_views[static_cast<size_t>(index)] : nullptr;
}

bool CEditorFrame::setExclusiveView(CWidget* view)
{
    if (view && m_modalView)
        return false;
    if (m_modalView)
        m_modalView->onDetach(this);
    m_modalView = view;
    if (view)
        view->onAttach(this);
    return true;
}

void CEditorFrame::setFocusedView(CWidget* view)
{
    if (view == m_focusView)
        return;
    CWidget* previous = m_focusView;
    m_focusView = view;
    if (previous)
        previous->focusLost(nullptr);
    if (view && m_focusView == view)
        view->focusGained(nullptr);
}

void CEditorFrame::setBackground(CSkinImage* image)
{
    if (image)
        image->addReference();
    if (m_background)
        m_background->release();
    m_background = image;
    setDirty(true);
}

CPoint CEditorFrame::cursorPosition() const
{
    CPoint position;
    if (m_window)
        m_window->pointerState(&position);
    return position;
}

int CEditorFrame::buttonState() const { return m_window ? m_window->pointerState(nullptr) : 0; }

void CEditorFrame::drawView(CWidget* view)
{
    CPainter painter(this);
    if (view)
        view->draw(painter);
    else
        draw(painter);
}

void CEditorFrame::idle()
{
    if (!m_open || m_firstDrawPending)
        return;
    bool dirty = m_modalView || isDirty();
    for (size_t i = 0; i < m_views.size() && !dirty; ++i)
        dirty = m_views[i]->isDirty();
    if (dirty) {
        CPainter painter(this);
        update(painter);
    }
}

void CEditorFrame::pumpEvents()
{
    if (m_window)
        m_window->pumpEvents(m_inMouseDown);
}

void CEditorFrame::serviceIdle()
{
    if (m_window) {
        m_window->waitForEvents(kPollWaitMs);
        m_window->pumpEvents(true);
    }
    idle();
    if (m_owner)
        m_owner->serviceIdle();
}

void CEditorFrame::beginParameterEdit(int tag)
{
    if (m_owner)
        m_owner->beginParameterEdit(tag);
}

void CEditorFrame::endParameterEdit(int tag)
{
    if (m_owner)
        m_owner->endParameterEdit(tag);
}

int32_t CEditorFrame::tickCount() const { return m_owner ? static_cast<int32_t>(platform::tickCount()) : 0; }

int CEditorFrame::knobMode() const { return m_owner ? m_owner->knobMode() : 0; }

} // namespace quorvix
