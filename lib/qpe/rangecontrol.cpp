#include "rangecontrol.h"

#include <limits>

RangeControl::RangeControl()
    : RangeControl(0, 99, 1, 10, 0)
{
}

RangeControl::RangeControl(int minValue, int maxValue, int lineStep, int pageStep, int value)
    : m_minValue(minValue),
      m_maxValue(maxValue < minValue ? minValue : maxValue),
      m_lineStep(lineStep < 0 ? 0 : lineStep),
      m_pageStep(pageStep < 0 ? 0 : pageStep),
      m_value(0),
      m_prevValue(0)
{
    m_value = bound(value);
    m_prevValue = m_value;
}

RangeControl::~RangeControl() = default;

int RangeControl::bound(int value) const
{
    if (value < m_minValue)
        return m_minValue;
    if (value > m_maxValue)
        return m_maxValue;
    return value;
}

void RangeControl::directSetValue(int value)
{
    m_prevValue = m_value;
    m_value = bound(value);
}

void RangeControl::setValue(int value)
{
    directSetValue(value);
    if (m_prevValue != m_value)
        valueChange();
}

// Adds in 64 bits so that steps near the int limits cannot wrap around.
void RangeControl::addSteps(long long steps)
{
    long long v = static_cast<long long>(m_value) + steps;
    if (v < m_minValue)
        v = m_minValue;
    if (v > m_maxValue)
        v = m_maxValue;
    setValue(static_cast<int>(v));
}

void RangeControl::addPage() { addSteps(m_pageStep); }
void RangeControl::subtractPage() { addSteps(-static_cast<long long>(m_pageStep)); }
void RangeControl::addLine() { addSteps(m_lineStep); }
void RangeControl::subtractLine() { addSteps(-static_cast<long long>(m_lineStep)); }

void RangeControl::setRange(int minValue, int maxValue)
{
    if (maxValue < minValue)
        maxValue = minValue;
    if (minValue == m_minValue && maxValue == m_maxValue)
        return;
    m_minValue = minValue;
    m_maxValue = maxValue;
    const int old = m_value;
    m_value = bound(m_value);
    rangeChange();
    if (m_value != old) {
        m_prevValue = old;
        valueChange();
    }
}

void RangeControl::setSteps(int lineStep, int pageStep)
{
    if (lineStep < 0)
        lineStep = 0;
    if (pageStep < 0)
        pageStep = 0;
    if (lineStep == m_lineStep && pageStep == m_pageStep)
        return;
    m_lineStep = lineStep;
    m_pageStep = pageStep;
    stepChange();
}

void RangeControl::valueChange() {}
void RangeControl::rangeChange() {}
void RangeControl::stepChange() {}
