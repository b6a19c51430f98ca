#ifndef RANGECONTROL_H
#define RANGECONTROL_H

// A bounded integer value with line and page steps; the base of the spin box.
// Subclasses hear of changes through valueChange() and rangeChange().
class RangeControl
{
public:
    RangeControl();
    RangeControl(int minValue, int maxValue, int lineStep, int pageStep, int value);
    virtual ~RangeControl();

    int value() const { return m_value; }
    void setValue(int value);
    void addPage();
    void subtractPage();
    void addLine();
    void subtractLine();

    int minValue() const { return m_minValue; }
    int maxValue() const { return m_maxValue; }
    // A reversed range collapses to its minimum.
    void setRange(int minValue, int maxValue);
    void setMinValue(int minValue) { setRange(minValue, m_maxValue); }
    void setMaxValue(int maxValue) { setRange(m_minValue, maxValue); }

    int lineStep() const { return m_lineStep; }
    int pageStep() const { return m_pageStep; }
    void setSteps(int lineStep, int pageStep);

    int bound(int value) const;

protected:
    int prevValue() const { return m_prevValue; }
    // Sets the value without notifying.
    void directSetValue(int value);

    virtual void valueChange();
    virtual void rangeChange();
    virtual void stepChange();

private:
    void addSteps(long long steps);

    int m_minValue;
    int m_maxValue;
    int m_lineStep;
    int m_pageStep;
    int m_value;
    int m_prevValue;
};

#endif
