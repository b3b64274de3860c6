#include "panes/name_mask.h"

#include "panes/text_split.h"

namespace quay {

bool matchMask(std::string_view name, std::string_view mask) {
    if (mask == "*" || mask == "*.*")
        return true;
    // Part by part; a different number of parts fails like a part that does not match.
    while (!mask.empty() && !name.empty())
        if (!matchWild(takePart('.', mask), takePart('.', name)))
            return false;
    return mask.empty() && name.empty();
}

namespace {

// The scan over mask M and name T; i and j are the next positions (0-based here). A scan
// that stops without a match leaves the verdict to whether both texts are used up.
class WildScan {
public:
    WildScan(std::string_view mask, std::string_view name) : m_mask(mask), m_name(name) {}

    bool run() {
        while (!m_matched && m_i < m_mask.size() && m_j < m_name.size()) {
            bool goOn = true;
            if (m_mask[m_i] == '*')
                goOn = star();
            else if (m_mask[m_i] == '?')
                question();
            else
                goOn = literal();
            if (!goOn)
                break;
        }
        return m_matched || (m_i >= m_mask.size() && m_j >= m_name.size());
    }

private:
    // A run of stars, then an optional run of "?" (k of them), then a literal that the name
    // is searched forward for. False ends the scan.
    bool star() {
        while (m_i < m_mask.size() && m_mask[m_i] == '*')
            ++m_i;
        if (m_i >= m_mask.size()) {
            m_matched = true;
            return true;
        }
        std::size_t k = 0;
        while (m_i < m_mask.size() && m_mask[m_i] == '?') {
            ++k;
            ++m_i;
        }
        if (k > 0 && k == m_name.size() - m_j) {
            m_matched = true;
            return true;
        }
        if (m_i >= m_mask.size()) {
            m_j = m_name.size();
            return false;
        }
        ++m_j;
        while (m_j < m_name.size() && m_name[m_j] != m_mask[m_i])
            ++m_j;
        // The found literal must leave room for the k characters the "?" run stands for.
        return m_j < m_name.size() && m_j >= k;
    }

    void question() {
        if (m_j + 1 == m_name.size()) {
            m_matched = true;
            return;
        }
        ++m_i;
        ++m_j;
    }

    bool literal() {
        if (m_name[m_j] != m_mask[m_i])
            return false;
        ++m_i;
        ++m_j;
        return true;
    }

    std::string_view m_mask;
    std::string_view m_name;
    std::size_t m_i = 0;
    std::size_t m_j = 0;
    bool m_matched = false;
};

}  // namespace

bool matchWild(std::string_view maskPart, std::string_view namePart) {
    if (maskPart == "*")
        return true;
    return WildScan(maskPart, namePart).run();
}

}  // namespace quay
