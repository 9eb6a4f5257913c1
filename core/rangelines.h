#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vellacor {

// The range lines of a report, one per subnet, held in one buffer. A /30 plan has 64 lines;
// as 64 separate strings their allocations cost more than the rest of the report together.
class RangeLines {
public:
    class const_iterator {
    public:
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;

        const_iterator() = default;
        const_iterator(const RangeLines *lines, std::size_t index) : m_lines(lines), m_index(index)
        {
        }
        std::string_view operator*() const { return (*m_lines)[m_index]; }
        const_iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const const_iterator &) const = default;

    private:
        const RangeLines *m_lines = nullptr;
        std::size_t m_index = 0;
    };

    RangeLines() = default;
    RangeLines(std::initializer_list<std::string_view> lines)
    {
        for (std::string_view line : lines)
            push_back(line);
    }

    void reserve(std::size_t lines, std::size_t characters)
    {
        m_ends.reserve(lines);
        m_text.reserve(characters);
    }
    void push_back(std::string_view line)
    {
        m_text.append(line);
        m_ends.push_back(static_cast<std::uint32_t>(m_text.size()));
    }

    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view operator[](std::size_t index) const
    {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_text).substr(begin, m_ends[index] - begin);
    }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    bool operator==(const RangeLines &) const = default;

private:
    std::string m_text;
    std::vector<std::uint32_t> m_ends; // end offset of each line in m_text
};

} // namespace vellacor
