#include "editor/envelope_display.h"

#include "editor/skin/skin.h"
#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/offscreen_painter.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"
#include "editor/toolkit/skin_label.h"
#include "editor/toolkit/skin_menu.h"
#include "editor/toolkit/skin_toggle.h"
#include "editor/toolkit/text_field.h"
#include "editor/toolkit/typed_number.h"
#include "presets/value_names.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvix {

namespace {

// The plotting area inside the graph, and its zoom of 2 pixels per sixteenth of a beat.
constexpr int kLeft = 9;
constexpr int kTop = 9;
constexpr int kRight = CEnvelopeDisplay::kGraphWidth - 10;
constexpr int kBottom = CEnvelopeDisplay::kGraphHeight - 9;
constexpr int kPixelsPerSixteenth = 2;
constexpr int kSixteenthsPerBeat = 16;
constexpr int kLevels = 1000;
constexpr int kSnapSixteenths = 4;
// How far from a point or a handle end a press still hits it.
constexpr int kHitDistance = 3;
constexpr int kSelectedBox = 3;
constexpr int kMarkerBox = 2;
constexpr int kAnyButtonOrModifier = kLeftButton | kMiddleButton | kRightButton | kShift | kControl | kAlt;

int xOf(int t16) { return kLeft + kPixelsPerSixteenth * t16; }
int yOf(int level) { return kBottom - ((kBottom - kTop) * level + kLevels / 2) / kLevels; }
int t16At(int x) { return (x - kLeft) / kPixelsPerSixteenth; }
int levelAt(int y) { return ((kBottom - kTop) / 2 + (kBottom - y) * kLevels) / (kBottom - kTop); }
CPoint pointOf(int t16, int level) { return {xOf(t16), yOf(level)}; }

// Half away from zero.
int rounded(float v) { return static_cast<int>(std::lround(v)); }

bool near(CPoint a, CPoint b) { return std::abs(a.x - b.x) <= kHitDistance && std::abs(a.y - b.y) <= kHitDistance; }

CRect box(CPoint c, int half) { return {c.x - half, c.y - half, c.x + half, c.y + half}; }

// The controls at the right of the graph, relative to its top-right corner.
constexpr CRect kValueLabel {2, 0, 42, 17};
constexpr CRect kValueBox {44, 0, 84, 17};
constexpr CRect kBipolarLabel {2, 27, 42, 39};
constexpr CPoint kBipolarButton {45, 20};
constexpr CRect kReleaseLabel {2, 53, 42, 65};
constexpr CPoint kReleaseButton {45, 46};
constexpr CPoint kSyncMenu {2, 74};
constexpr int kControlsWidth = 85;

} // namespace

CLoopEnvelope& envelopeClipboard()
{
    static CLoopEnvelope clipboard(EEnvelopeKind::Modulation);
    return clipboard;
}

CEnvelopeDisplay::CEnvelopeDisplay(CPoint graph, const CSkin& skin, CEnvelopeListener* listener, int tag,
                                   EEnvelopeKind kind)
    : CWidget(CRect::sized(graph.x, graph.y, kGraphWidth + kControlsWidth, kGraphHeight)), m_tag(tag),
      m_graph(graph), m_listener(listener), m_envelope(kind),
      m_background(skin.bitmap(ESkinBitmap::EnvelopeDisplay)),
      m_transparentBackground(skin.isTransparent(ESkinBitmap::EnvelopeDisplay)),
      m_offscreen(new CSkinImage(kGraphWidth, kGraphHeight))
{
    m_background->addReference();
    m_colors = {skin.color(ESkinColor::EnvLoopBar),    skin.color(ESkinColor::EnvLineThin),
                skin.color(ESkinColor::EnvLineThick),  skin.color(ESkinColor::EnvAverageBackground),
                skin.color(ESkinColor::EnvLine),       skin.color(ESkinColor::EnvInactiveLine),
                skin.color(ESkinColor::EnvPointInside), skin.color(ESkinColor::EnvPointOutside)};

    const CPoint r {graph.x + kGraphWidth, graph.y};
    const CColor labelText = skin.color(ESkinColor::HorLabelText);
    auto label = [&](const CRect& rect, const char* text) {
        auto* view = new CSkinLabel({r.x + rect.left, r.y + rect.top}, rect.width(), text, labelText);
        view->setBounds(rect.offset(r.x, r.y));
        m_controls.push_back(view);
    };
    label(kValueLabel, "Value");
    label(kBipolarLabel, "Bipolar");
    label(kReleaseLabel, "Release");

    m_levelBox = new CTextField(kValueBox.offset(r.x, r.y), this, tag, "---", nullptr, kStyleBevelIn);
    const CColor boxColor = skin.color(ESkinColor::ParamLabelBackground);
    m_levelBox->setFont(4);
    m_levelBox->setBackgroundColor(boxColor);
    m_levelBox->setBorderColor(boxColor.lighter());
    m_levelBox->setTextColor(skin.color(ESkinColor::ParamLabelText));
    m_levelBox->setParent(this);
    m_controls.push_back(m_levelBox);

    CSkinImage* button = skin.bitmap(ESkinBitmap::OnOffButton);
    const bool buttonKeyed = skin.isTransparent(ESkinBitmap::OnOffButton);
    m_bipolar = new CSkinToggle(kBipolarButton.offset(r.x, r.y), this, tag, button, buttonKeyed);
    m_release = new CSkinToggle(kReleaseButton.offset(r.x, r.y), this, tag, button, buttonKeyed);
    m_controls.push_back(m_bipolar);
    m_controls.push_back(m_release);

    m_sync = new CSkinMenu(kSyncMenu.offset(r.x, r.y), this, tag, skin.bitmap(ESkinBitmap::OptionsMenuSmall),
                           skin.color(ESkinColor::OptMenuText), skin.isTransparent(ESkinBitmap::OptionsMenuSmall));
    for (int kind = 0; kind < kSyncKindCount; ++kind)
        m_sync->addEntry(syncKindName(kind));
    m_controls.push_back(m_sync);

    for (CValueControl* control : m_controls)
        m_bounds = m_bounds.united(control->getBounds());
    m_clickArea = m_bounds;

    // Stored and read back, so that a loop that is off has its start at its end, as programs keep it.
    setShape(m_envelope.storedShape());
}

CEnvelopeDisplay::~CEnvelopeDisplay()
{
    for (CValueControl* control : m_controls)
        control->release();
    m_offscreen->release();
    m_background->release();
}

void CEnvelopeDisplay::setShape(const CEnvelopeShape& shape)
{
    m_envelope.assign(shape);
    m_reported = m_envelope.storedShape();
    if (m_selected > m_envelope.lastPoint() || (m_part != 0 && m_selected >= m_envelope.lastPoint()))
        m_selected = -1;
    graphChanged();
}

// ---- state ---------------------------------------------------------------------------------

void CEnvelopeDisplay::rebuildCopy()
{
    int start = 0;
    for (int i = 0; i <= m_envelope.lastPoint(); ++i) {
        const size_t k = static_cast<size_t>(i);
        m_copy.start16[k] = start;
        start += rounded(m_envelope.time(i) * kSixteenthsPerBeat);
        m_copy.level[k] = rounded(m_envelope.value(i) * kLevels);
        m_copy.curved[k] = i < m_envelope.lastPoint() && m_envelope.curved(i);
        // Only a curved segment's handles are kept within it; the others may hold anything.
        if (!m_copy.curved[k])
            continue;
        m_copy.startDx16[k] = rounded(m_envelope.startDx(i) * kSixteenthsPerBeat);
        m_copy.startDy1000[k] = rounded(m_envelope.startDy(i) * kLevels);
        m_copy.endDx16[k] = static_cast<int>(m_envelope.endDx(i) * kSixteenthsPerBeat - 0.5f);
        m_copy.endDy1000[k] = rounded(m_envelope.endDy(i) * kLevels);
    }
}

std::string CEnvelopeDisplay::levelText() const
{
    if (m_selected < 0 || m_part != 0)
        return "---";
    const float level = static_cast<float>(rounded(m_envelope.value(m_selected) * kLevels)) / kLevels;
    char text[32];
    std::snprintf(text, sizeof text, "%1.3f", static_cast<double>(m_envelope.bipolar() ? 2.0f * level - 1.0f : level));
    return text;
}

bool CEnvelopeDisplay::hasLoop() const
{
    return m_envelope.loopOn() && m_envelope.loopStart() >= 0 && m_envelope.loopStart() < m_envelope.loopEnd();
}

bool CEnvelopeDisplay::isEditingLevel() const { return m_levelBox->isEditing(); }

void CEnvelopeDisplay::edited()
{
    const CEnvelopeShape now = m_envelope.storedShape();
    graphChanged();
    if (now == m_reported)
        return;
    m_reported = now;
    if (!m_listener)
        return;
    if (!m_gestureOpen) {
        m_gestureOpen = true;
        m_listener->envelopeEditBegin(this);
    }
    m_listener->envelopeChanged(this, now);
}

void CEnvelopeDisplay::endGesture()
{
    if (!m_gestureOpen)
        return;
    m_gestureOpen = false;
    if (m_listener)
        m_listener->envelopeEditEnd(this);
}

void CEnvelopeDisplay::graphChanged()
{
    m_graphDirty = true;
    refreshControls();
}

void CEnvelopeDisplay::refreshControls()
{
    if (!m_levelBox->isEditing())
        m_levelBox->setText(levelText());
    m_bipolar->setValue(m_envelope.bipolar() ? 1.0f : 0.0f);
    m_release->setValue(m_envelope.release() ? 1.0f : 0.0f);
    if (m_sync->getIndex() != m_envelope.clock().kind())
        m_sync->setIndex(m_envelope.clock().kind());
}

// ---- the mouse -----------------------------------------------------------------------------

void CEnvelopeDisplay::onMouseDown(CPainter& painter, CPoint where)
{
    if (!m_mouseEnabled || !m_frame)
        return;
    const int buttons = painter.buttonState();
    if (m_levelBox->getBounds().contains(where)) {
        // Only a point's level can be typed; a handle has none.
        if (m_levelBox->isEditing() || (m_selected >= 0 && m_part == 0))
            m_levelBox->onMouseDown(painter, where);
        return;
    }
    const std::array<CValueControl*, 3> others {m_bipolar, m_release, m_sync};
    for (CValueControl* control : others)
        if (control->getBounds().contains(where)) {
            control->onMouseDown(painter, where);
            return;
        }
    if (!graphRect().contains(where))
        return;
    pressInGraph(buttons, where.offset(-m_graph.x, -m_graph.y));
    endGesture();
}

void CEnvelopeDisplay::pressInGraph(int buttons, CPoint p)
{
    const int held = buttons & kAnyButtonOrModifier;
    if (held == (kLeftButton | kShift | kControl)) {
        envelopeClipboard().copyFrom(m_envelope);
        graphChanged();
        return;
    }
    if (held == (kRightButton | kShift | kControl)) {
        // Through the stored shape, so that the tables are made for this envelope's own kind.
        m_envelope.assign(envelopeClipboard().storedShape());
        if (m_selected > m_envelope.lastPoint())
            m_selected = -1;
        edited();
        return;
    }
    m_selected = -1;
    m_part = 0;
    rebuildCopy();
    const int t16 = t16At(p.x);
    if (!selectAt(p)) {
        if (held == kLeftButton) {
            m_selected = m_envelope.insertPoint(static_cast<float>(t16) / kSixteenthsPerBeat,
                                                static_cast<float>(levelAt(p.y)) / kLevels);
            edited();
            if (m_selected >= 0)
                drag();
        } else if (held == (kRightButton | kShift)) {
            const int k = segmentAt(t16);
            if (k >= 0)
                m_envelope.setCurved(k, !m_envelope.curved(k));
            edited();
        } else {
            graphChanged();
        }
        return;
    }
    if (held == kRightButton) {
        if (m_part != 0) {
            const int k = segmentAt(t16);
            if (k >= 0)
                m_envelope.setCurved(k, false);
        } else {
            m_envelope.deletePoint(m_selected);
        }
        m_selected = -1;
        m_part = 0;
        edited();
    } else if (held == (kLeftButton | kControl)) {
        m_envelope.setLoop(m_selected, m_envelope.loopEnd());
        edited();
    } else if (held == (kRightButton | kControl)) {
        m_envelope.setLoop(m_envelope.loopStart(), m_selected);
        edited();
    } else {
        drag();
    }
}

bool CEnvelopeDisplay::selectAt(CPoint p)
{
    for (int i = 0; i <= m_envelope.lastPoint(); ++i) {
        const size_t k = static_cast<size_t>(i);
        if (near(p, pointOf(m_copy.start16[k], m_copy.level[k]))) {
            m_selected = i;
            m_part = 0;
        }
        if (!m_copy.curved[k])
            continue;
        const CPoint startEnd = pointOf(m_copy.start16[k] + m_copy.startDx16[k], m_copy.level[k] + m_copy.startDy1000[k]);
        const CPoint endEnd =
            pointOf(m_copy.start16[k + 1] + m_copy.endDx16[k], m_copy.level[k + 1] + m_copy.endDy1000[k]);
        for (const auto& [end, part] : {std::pair {startEnd, 1}, std::pair {endEnd, 2}})
            if (near(p, end)) {
                m_selected = i;
                m_part = part;
                return true;
            }
    }
    return m_selected >= 0;
}

int CEnvelopeDisplay::segmentAt(int t16) const
{
    for (int k = 1; k <= m_envelope.lastPoint(); ++k)
        if (m_copy.start16[static_cast<size_t>(k)] > t16)
            return k - 1;
    return -1;
}

void CEnvelopeDisplay::drag()
{
    const int i = m_selected;
    const int part = m_part;
    CPoint previous;
    bool first = true;
    while (true) {
        const int buttons = m_frame->buttonState();
        const CPoint cursor = m_frame->cursorPosition().offset(-m_graph.x, -m_graph.y);
        rebuildCopy();
        const int last = m_envelope.lastPoint();
        // The owner may have given a new shape meanwhile.
        if (i > last || (part != 0 && !m_copy.curved[size_t(i)]))
            return;
        int low = kLeft;
        int high = kLeft;
        if (part != 0) {
            low = xOf(m_copy.start16[size_t(i)]);
            high = xOf(m_copy.start16[size_t(i + 1)]);
        } else if (i > 0) {
            // The later points move along, and the last one must stay inside the area.
            low = xOf(m_copy.start16[size_t(i - 1)]);
            high = kRight - kPixelsPerSixteenth * (m_copy.start16[size_t(last)] - m_copy.start16[size_t(i)]);
        }
        const CPoint p {std::max(std::min(cursor.x, high), low), std::clamp(cursor.y, kTop, kBottom)};
        if (first || p != previous) {
            first = false;
            previous = p;
            const bool keepLevel = buttons & kShift;
            const int t16 = t16At(p.x);
            const int level = levelAt(p.y);
            const size_t k = static_cast<size_t>(i);
            const bool horizontalOnly = (buttons & kAnyButtonOrModifier) == (kLeftButton | kShift);
            if (part == 1) {
                m_copy.startDx16[k] = t16 - m_copy.start16[k];
                if (!horizontalOnly)
                    m_copy.startDy1000[k] = level - m_copy.level[k];
            } else if (part == 2) {
                m_copy.endDx16[k] = t16 - m_copy.start16[k + 1];
                if (!horizontalOnly)
                    m_copy.endDy1000[k] = level - m_copy.level[k + 1];
            }
            if (part == 0)
                setPoint(i, t16, level, keepLevel, buttons & kAlt);
            else
                setPoint(i, m_copy.start16[k], m_copy.level[k], keepLevel, false);
            edited();
        }
        if (!(buttons & kLeftButton) || !m_frame->hasWindow() || !m_frame->isOpen())
            return;
        m_frame->serviceIdle();
    }
}

void CEnvelopeDisplay::setPoint(int i, int t16, int level, bool keepLevel, bool snap)
{
    const size_t k = static_cast<size_t>(i);
    if (i >= 1) {
        const int s = m_copy.start16[k - 1];
        const int c = std::max(snap ? (t16 + kSnapSixteenths / 2) / kSnapSixteenths * kSnapSixteenths : t16, s);
        m_envelope.setTime(i - 1, static_cast<float>(c - s) / kSixteenthsPerBeat);
    }
    if (!keepLevel)
        m_envelope.setValue(i, static_cast<float>(level) / kLevels);
    m_envelope.setCurved(i, m_copy.curved[k]);
    if (m_copy.curved[k])
        m_envelope.setHandles(i, static_cast<float>(m_copy.startDx16[k]) / kSixteenthsPerBeat,
                              static_cast<float>(m_copy.startDy1000[k]) / kLevels,
                              static_cast<float>(m_copy.endDx16[k]) / kSixteenthsPerBeat,
                              static_cast<float>(m_copy.endDy1000[k]) / kLevels);
}

bool CEnvelopeDisplay::onWheel(CPainter& painter, CPoint where, float distance)
{
    return m_sync->getBounds().contains(where) && m_sync->onWheel(painter, where, distance);
}

// ---- the controls at the right ---------------------------------------------------------------

void CEnvelopeDisplay::valueChanged(CPainter*, CValueControl* control)
{
    if (control == m_bipolar) {
        m_envelope.setBipolar(m_bipolar->getValue() != 0.0f);
    } else if (control == m_release) {
        m_envelope.setRelease(m_release->getValue() != 0.0f);
    } else if (control == m_sync) {
        CEnvelopeShape shape = m_envelope.storedShape();
        shape.clockKind = m_sync->getIndex();
        m_envelope.assign(shape);
    } else if (control == m_levelBox) {
        typedLevel(m_levelBox->getText());
    }
    edited();
    endGesture();
}

void CEnvelopeDisplay::typedLevel(const std::string& text)
{
    double x = 0.0;
    // Text that is no number leaves the level as it was.
    if (m_selected < 0 || m_part != 0 || m_selected > m_envelope.lastPoint() ||
        !leadingNumber(prepareTypedText(text, true, true), x) || !std::isfinite(x))
        return;
    if (m_envelope.bipolar())
        x = (x + 1.0) / 2.0;
    const int level = static_cast<int>(std::clamp(x, 0.0, 1.0) * kLevels);
    rebuildCopy();
    setPoint(m_selected, m_copy.start16[size_t(m_selected)], level, false, false);
}

int CEnvelopeDisplay::notify(CWidget* sender, const std::string& message)
{
    if (sender != m_levelBox || message != kLooseFocus)
        return 0;
    refreshControls();
    return 1;
}

// ---- the view --------------------------------------------------------------------------------

void CEnvelopeDisplay::setFrame(CEditorFrame* frame)
{
    CWidget::setFrame(frame);
    for (CValueControl* control : m_controls)
        control->setFrame(frame);
}

bool CEnvelopeDisplay::onDetach(CWidget* parent)
{
    // A control of ours must not keep the keys or an open menu once we are off the frame.
    if (m_frame)
        for (CValueControl* control : m_controls)
            if (m_frame->focusedView() == control)
                m_frame->setFocusedView(nullptr);
    return CWidget::onDetach(parent);
}

bool CEnvelopeDisplay::isDirty() const
{
    if (m_dirty || m_graphDirty)
        return true;
    return std::any_of(m_controls.begin(), m_controls.end(), [](const CValueControl* c) { return c->isDirty(); });
}

void CEnvelopeDisplay::setDirty(bool dirty)
{
    m_dirty = dirty;
    if (dirty)
        m_graphDirty = true;
}

void CEnvelopeDisplay::update(CPainter& painter)
{
    if (m_dirty) {
        draw(painter);
        return;
    }
    if (m_graphDirty)
        drawGraph(painter);
    for (CValueControl* control : m_controls)
        control->update(painter);
}

void CEnvelopeDisplay::draw(CPainter& painter)
{
    m_dirty = false;
    drawGraph(painter);
    // The labels have no box of their own: the page shows through them.
    const CRect controls {m_graph.x + kGraphWidth, m_bounds.top, m_bounds.right, m_bounds.bottom};
    if (m_frame && m_frame->background())
        m_frame->background()->draw(painter, controls, controls.topLeft());
    for (CValueControl* control : m_controls) {
        control->draw(painter);
        control->setDirty(false);
    }
}

void CEnvelopeDisplay::drawGraph(CPainter& painter)
{
    m_graphDirty = false;
    rebuildCopy();
    {
        COffscreenPainter graph(painter, m_offscreen, false);
        const CRect all {0, 0, kGraphWidth, kGraphHeight};
        if (m_transparentBackground && m_frame && m_frame->background())
            m_frame->background()->draw(graph, all, m_graph);
        m_background->draw(graph, all, {}, m_transparentBackground);
        drawLoopBars(graph);
        drawGrid(graph);
        drawEnvelopeLine(graph);
        drawFrameLines(graph);
        drawMarkers(graph);
    }
    m_offscreen->draw(painter, graphRect());
}

void CEnvelopeDisplay::drawLoopBars(CPainter& painter) const
{
    constexpr int kBarWidth = 3;
    constexpr int kBarEnd = 7;
    constexpr int kTickRows[] = {6, 7, 8};
    constexpr int kTickLengths[] = {6, 5, 4};
    auto bar = [&](int x) {
        painter.setLineWidth(kBarWidth);
        painter.moveTo({x, kBarEnd});
        painter.lineTo({x, kGraphHeight - kBarEnd});
    };
    // direction 1 points right (the loop end), -1 left (the loop start or the sustain point).
    auto ticks = [&](int x, int direction) {
        painter.setLineWidth(1);
        for (int j = 0; j < 3; ++j)
            for (const int row : {kTickRows[j], kGraphHeight - kTickRows[j]}) {
                painter.moveTo({x, row});
                painter.lineTo({x + direction * kTickLengths[j], row});
            }
    };
    painter.setLineStyle(ELineStyle::Solid);
    painter.setLineColor(m_colors.loopBar);
    const int endX = xOf(m_copy.start16[size_t(m_envelope.loopEnd())]);
    bar(endX);
    ticks(endX, 1);
    if (hasLoop()) {
        const int startX = xOf(m_copy.start16[size_t(m_envelope.loopStart())]);
        bar(startX);
        ticks(startX, -1);
    } else {
        ticks(endX, -1);
    }
}

void CEnvelopeDisplay::drawGrid(CPainter& painter) const
{
    const int endX = xOf(m_copy.start16[size_t(m_envelope.loopEnd())]);
    const int startX = hasLoop() ? xOf(m_copy.start16[size_t(m_envelope.loopStart())]) : endX;
    // The bars are 3 pixels wide.
    auto onBar = [&](int x) { return std::abs(x - endX) <= 1 || std::abs(x - startX) <= 1; };
    auto line = [&](int x, CColor color, ELineStyle style) {
        painter.setLineColor(color);
        painter.setLineStyle(style);
        painter.moveTo({x, kTop});
        painter.lineTo({x, kBottom + 1});
    };
    painter.setLineWidth(1);
    const struct {
        int step;
        CColor color;
        bool dotted;
    } series[] = {{4, m_colors.thin, true}, {16, m_colors.thin, false}, {64, m_colors.thick, false}};
    for (const auto& s : series)
        for (int x = kLeft; x <= kGraphWidth - 10; x += s.step * kPixelsPerSixteenth) {
            if (s.dotted)
                line(x, onBar(x) ? m_colors.thin : m_colors.average, ELineStyle::Solid);
            line(x, s.color, s.dotted ? ELineStyle::Dotted : ELineStyle::Solid);
        }
    painter.setLineStyle(ELineStyle::Solid);
}

void CEnvelopeDisplay::drawEnvelopeLine(CPainter& painter) const
{
    constexpr int kLineWidth = 3;
    const int last = m_envelope.lastPoint();
    const int loopEnd = m_envelope.loopEnd();
    painter.setLineStyle(ELineStyle::Solid);
    painter.setLineWidth(kLineWidth);
    painter.setLineColor(m_colors.line);
    painter.moveTo(pointOf(m_copy.start16[0], m_copy.level[0]));
    for (int k = 0; k < last; ++k) {
        // What follows the loop end is no release when release is off.
        if (k == loopEnd && !m_envelope.release()) {
            painter.setLineWidth(1);
            painter.setLineColor(m_colors.inactive);
        }
        const size_t i = static_cast<size_t>(k);
        // Columns past the graph's edge would not show.
        if (m_copy.curved[i])
            for (int x = xOf(m_copy.start16[i]); x <= std::min(xOf(m_copy.start16[i + 1]), kGraphWidth); ++x) {
                const float beats = static_cast<float>(t16At(x)) / kSixteenthsPerBeat;
                const float v = m_envelope.segmentValueAt(k, beats);
                painter.lineTo({x, yOf(static_cast<int>(v * kLevels + 0.5f))});
            }
        painter.lineTo(pointOf(m_copy.start16[i + 1], m_copy.level[i + 1]));
    }
}

void CEnvelopeDisplay::drawFrameLines(CPainter& painter) const
{
    painter.setLineWidth(1);
    painter.setLineStyle(ELineStyle::Solid);
    painter.setLineColor(m_colors.thick);
    for (const int y : {kTop, kBottom}) {
        painter.moveTo({kLeft, y});
        painter.lineTo({kGraphWidth - 9, y});
    }
    painter.setLineColor(m_envelope.bipolar() ? m_colors.thick : m_colors.thin);
    painter.moveTo({kLeft + 1, (kTop + kBottom) / 2});
    painter.lineTo({kRight, (kTop + kBottom) / 2});
}

void CEnvelopeDisplay::drawHandle(CPainter& painter, CPoint from, CPoint end, bool selected) const
{
    painter.setLineColor(m_colors.inside);
    painter.moveTo(from);
    painter.lineTo(end);
    painter.setFillColor(m_colors.outside);
    // The filled circle covers end - 3 .. end + 2.
    painter.fillEllipse({end.x - 4, end.y - 4, end.x + 2, end.y + 2});
    if (selected) {
        painter.setLineColor(m_colors.outside);
        painter.drawArc(box(end, kSelectedBox), end, end);
    }
    painter.setLineColor(m_colors.inside);
    painter.drawArc(box(end, kMarkerBox), end, end);
}

void CEnvelopeDisplay::drawMarkers(CPainter& painter) const
{
    painter.setLineWidth(1);
    painter.setLineStyle(ELineStyle::Solid);
    const int last = m_envelope.lastPoint();
    for (int i = 0; i <= last; ++i) {
        const size_t k = static_cast<size_t>(i);
        const CPoint point = pointOf(m_copy.start16[k], m_copy.level[k]);
        if (m_copy.curved[k]) {
            drawHandle(painter, point,
                       pointOf(m_copy.start16[k] + m_copy.startDx16[k], m_copy.level[k] + m_copy.startDy1000[k]),
                       m_selected == i && m_part == 1);
            drawHandle(painter, pointOf(m_copy.start16[k + 1], m_copy.level[k + 1]),
                       pointOf(m_copy.start16[k + 1] + m_copy.endDx16[k], m_copy.level[k + 1] + m_copy.endDy1000[k]),
                       m_selected == i && m_part == 2);
        }
        const bool inactive = i > m_envelope.loopEnd() && !m_envelope.release();
        if (m_selected == i && m_part == 0) {
            painter.setLineColor(inactive ? m_colors.average : m_colors.outside);
            painter.drawRect(box(point, kSelectedBox));
        }
        if (inactive) {
            painter.setFillColor(m_colors.inactive);
            painter.fillArea({point.x - kMarkerBox, point.y - kMarkerBox, point.x + kMarkerBox + 1, point.y + kMarkerBox + 1});
        }
        painter.setLineColor(inactive ? m_colors.average : m_colors.inside);
        painter.drawRect(box(point, kMarkerBox));
    }
}

} // namespace quorvix
