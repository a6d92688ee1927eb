// The envelope editor of the pages: a graph of one loop envelope that the mouse edits point by
// point, with the level box, the bipolar and release switches and the sync menu at its right.
#pragma once

#include "dsp/loop_envelope.h"
#include "editor/toolkit/value_control.h"

#include <array>
#include <vector>

namespace quorvix {

class CEnvelopeDisplay;
class CSkin;
class CSkinImage;
class CSkinMenu;
class CSkinToggle;
class CTextField;

// Hears of the user's edits; the owner writes the shape into the sound it belongs to.
class CEnvelopeListener {
public:
    virtual ~CEnvelopeListener() = default;
    // Before the first change of one gesture (a press and what follows until the button is up).
    virtual void envelopeEditBegin(CEnvelopeDisplay*) {}
    // After each change the user made: the whole envelope as it is now.
    virtual void envelopeChanged(CEnvelopeDisplay* display, const CEnvelopeShape& shape) = 0;
    virtual void envelopeEditEnd(CEnvelopeDisplay*) {}
};

// The clipboard of every display of the process; a default modulation envelope until a copy.
CLoopEnvelope& envelopeClipboard();

class CEnvelopeDisplay : public CWidget, private CValueListener {
public:
    static constexpr int kGraphWidth = 531;
    static constexpr int kGraphHeight = 94;

    // graph: the graph's top-left in the frame; tag: the envelope's number (1001 to 1005); the
    // kind decides the envelope's defaults and its minimum attack. Shows the kind's defaults.
    CEnvelopeDisplay(CPoint graph, const CSkin& skin, CEnvelopeListener* listener, int tag, EEnvelopeKind kind);
    ~CEnvelopeDisplay() override;

    // The envelope to show and edit, e.g. after a program change; redrawn at the next idle.
    void setShape(const CEnvelopeShape& shape);
    CEnvelopeShape shape() const { return m_envelope.storedShape(); }
    const CLoopEnvelope& envelope() const { return m_envelope; }
    int tag() const { return m_tag; }
    CRect graphRect() const { return CRect::sized(m_graph.x, m_graph.y, kGraphWidth, kGraphHeight); }

    // The selection: a point index or -1, and its part (0 the point, 1 the start handle of its
    // segment, 2 the end handle).
    int selectedIndex() const { return m_selected; }
    int selectedPart() const { return m_part; }
    // What the level box shows: "---" without a selected point.
    std::string levelText() const;
    bool isEditingLevel() const;

    void draw(CPainter& painter) override;
    void update(CPainter& painter) override;
    bool isDirty() const override;
    void setDirty(bool dirty) override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    bool onWheel(CPainter& painter, CPoint where, float distance) override;
    int notify(CWidget* sender, const std::string& message) override;
    void setFrame(CEditorFrame* frame) override;
    bool onDetach(CWidget* parent) override;

private:
    // The envelope in whole sixteenths of a beat and thousandths of the level, as the graph
    // draws and edits it; made again from the envelope before each use.
    struct CIntegerCopy {
        std::array<int, kEnvelopePoints> start16 {};
        std::array<int, kEnvelopePoints> level {};
        std::array<bool, kEnvelopePoints> curved {};
        std::array<int, kEnvelopePoints> startDx16 {}, startDy1000 {}, endDx16 {}, endDy1000 {};
    };

    void valueChanged(CPainter* painter, CValueControl* control) override;

    void pressInGraph(int buttons, CPoint p);
    // Selects what lies under p; false when nothing does.
    bool selectAt(CPoint p);
    void drag();
    // Moves point i (and the later ones) to t16, sets its level and writes back its segment's curve.
    void setPoint(int i, int t16, int level, bool keepLevel, bool snap);
    // The segment that covers t16, or -1 beyond the last point.
    int segmentAt(int t16) const;
    void typedLevel(const std::string& text);

    void rebuildCopy();
    // After an edit: the listener hears of it when the shape changed.
    void edited();
    void endGesture();
    void graphChanged();
    void refreshControls();

    bool hasLoop() const;
    void drawGraph(CPainter& painter);
    void drawLoopBars(CPainter& painter) const;
    void drawGrid(CPainter& painter) const;
    void drawEnvelopeLine(CPainter& painter) const;
    void drawFrameLines(CPainter& painter) const;
    void drawMarkers(CPainter& painter) const;
    void drawHandle(CPainter& painter, CPoint from, CPoint end, bool selected) const;

    int m_tag;
    CPoint m_graph;
    CEnvelopeListener* m_listener;
    CLoopEnvelope m_envelope;
    CIntegerCopy m_copy;
    int m_selected = -1;
    int m_part = 0;
    CEnvelopeShape m_reported;
    bool m_gestureOpen = false;
    bool m_graphDirty = true;

    CSkinImage* m_background;
    bool m_transparentBackground;
    CSkinImage* m_offscreen;
    struct CColors {
        CColor loopBar, thin, thick, average, line, inactive, inside, outside;
    } m_colors;

    CTextField* m_levelBox;
    CSkinToggle* m_bipolar;
    CSkinToggle* m_release;
    CSkinMenu* m_sync;
    // Every control at the right, labels included, in drawing order.
    std::vector<CValueControl*> m_controls;
};

} // namespace quorvix
