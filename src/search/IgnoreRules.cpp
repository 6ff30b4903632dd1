#include "IgnoreRules.h"

#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readSmallFile(const QByteArray &path)
{
    QByteArray text;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return text;
    struct stat info {};
    // An ignore file is a few lines; a huge or special one is not read.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= (1 << 20)) {
        text.resize(info.st_size);
        const ssize_t got = ::read(fd, text.data(), size_t(text.size()));
        text.resize(got < 0 ? 0 : got);
    }
    ::close(fd);
    return text;
}

bool classMatch(const char *&pattern, char c)
{
    // pattern points after '['; on return after ']'.
    const char *p = pattern;
    const bool negate = *p == '!' || *p == '^';
    if (negate)
        ++p;
    bool hit = false;
    bool first = true;
    while (*p && (*p != ']' || first)) {
        first = false;
        char low = *p;
        if (low == '\\' && p[1])
            low = *++p;
        if (p[1] == '-' && p[2] && p[2] != ']') {
            char high = p[2];
            p += 3;
            if (high == '\\' && *p)
                high = *p++;
            hit = hit || (c >= low && c <= high);
        } else {
            hit = hit || c == low;
            ++p;
        }
    }
    pattern = *p ? p + 1 : p;
    return hit != negate;
}

} // namespace

bool IgnoreRules::globMatch(const char *pattern, const char *text)
{
    while (*pattern) {
        if (pattern[0] == '*' && pattern[1] == '*') {
            const char *rest = pattern + 2;
            // "**/" also matches no folder at all.
            if (*rest == '/' && globMatch(rest + 1, text))
                return true;
            for (const char *t = text;; ++t) {
                if (globMatch(rest, t))
                    return true;
                if (!*t)
                    return false;
            }
        }
        switch (*pattern) {
        case '*':
            for (const char *t = text;; ++t) {
                if (globMatch(pattern + 1, t))
                    return true;
                if (!*t || *t == '/')
                    return false;
            }
        case '?':
            if (!*text || *text == '/')
                return false;
            ++pattern;
            ++text;
            break;
        case '[': {
            if (!*text || *text == '/')
                return false;
            const char *p = pattern + 1;
            if (!classMatch(p, *text))
                return false;
            pattern = p;
            ++text;
            break;
        }
        case '\\':
            if (pattern[1])
                ++pattern;
            [[fallthrough]];
        default:
            if (*pattern != *text)
                return false;
            ++pattern;
            ++text;
        }
    }
    return !*text;
}

std::shared_ptr<const IgnoreRules> IgnoreRules::parse(const QByteArray &folder, const QByteArray &text,
                                                      std::shared_ptr<const IgnoreRules> parent)
{
    auto rules = std::make_shared<IgnoreRules>();
    rules->m_folder = folder;
    rules->m_parent = std::move(parent);
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        // Trailing blanks go unless escaped.
        while (line.endsWith(' ') && !line.endsWith("\\ "))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        Rule rule;
        if (line.startsWith('!')) {
            rule.negated = true;
            line.remove(0, 1);
        } else if (line.startsWith("\\!") || line.startsWith("\\#")) {
            line.remove(0, 1);
        }
        if (line.endsWith('/')) {
            rule.folderOnly = true;
            line.chop(1);
        }
        rule.anchored = line.contains('/');
        if (line.startsWith('/'))
            line.remove(0, 1);
        if (line.isEmpty())
            continue;
        rule.pattern = line;
        rules->m_rules << rule;
    }
    if (rules->m_rules.isEmpty())
        return rules->m_parent;
    return rules;
}

QByteArray IgnoreRules::repositoryExcludes(const QByteArray &folder)
{
    QByteArray gitFolder = folder + "/.git";
    struct stat info {};
    if (::stat(gitFolder.constData(), &info) != 0)
        return {};
    if (S_ISREG(info.st_mode)) {
        // A linked work tree or a submodule: ".git" names the repository's folder.
        const QByteArray link = readSmallFile(gitFolder).trimmed();
        if (!link.startsWith("gitdir:"))
            return {};
        gitFolder = link.mid(7).trimmed();
        if (!gitFolder.startsWith('/'))
            gitFolder = folder + '/' + gitFolder;
        // A work tree shares the exclusions of the repository it belongs to.
        const QByteArray common = readSmallFile(gitFolder + "/commondir").trimmed();
        if (!common.isEmpty())
            gitFolder = common.startsWith('/') ? common : gitFolder + '/' + common;
    } else if (!S_ISDIR(info.st_mode)) {
        return {};
    }
    return readSmallFile(gitFolder + "/info/exclude");
}

std::shared_ptr<const IgnoreRules> IgnoreRules::forFolder(const QByteArray &folder,
                                                          std::shared_ptr<const IgnoreRules> parent)
{
    // A repository's own exclusions count as a .gitignore of its top folder that yields to it.
    const QByteArray excludes = repositoryExcludes(folder);
    if (!excludes.isEmpty())
        parent = parse(folder, excludes, std::move(parent));
    const QByteArray text = readSmallFile(folder + "/.gitignore");
    if (text.isEmpty())
        return parent;
    return parse(folder, text, std::move(parent));
}

std::shared_ptr<const IgnoreRules> IgnoreRules::above(const QByteArray &folder)
{
    QList<QByteArray> chain;
    QByteArray dir = folder;
    bool inRepository = false;
    while (!dir.isEmpty()) {
        struct stat info {};
        if (::stat((dir + "/.git").constData(), &info) == 0) {
            inRepository = true;
            break;
        }
        const qsizetype slash = dir.lastIndexOf('/');
        if (slash <= 0)
            break;
        dir.truncate(slash);
        chain.prepend(dir);
    }
    std::shared_ptr<const IgnoreRules> rules;
    if (!inRepository || dir == folder)
        return rules;
    for (const QByteArray &above : chain)
        rules = forFolder(above, rules);
    return rules;
}

bool IgnoreRules::ignored(const QByteArray &path, bool folder) const
{
    for (const IgnoreRules *rules = this; rules; rules = rules->m_parent.get()) {
        if (!path.startsWith(rules->m_folder + '/'))
            continue;
        const QByteArray relative = path.mid(rules->m_folder.size() + 1);
        const qsizetype slash = relative.lastIndexOf('/');
        const QByteArray name = slash < 0 ? relative : relative.mid(slash + 1);
        for (qsizetype i = rules->m_rules.size() - 1; i >= 0; --i) {
            const Rule &rule = rules->m_rules.at(i);
            if (rule.folderOnly && !folder)
                continue;
            if (globMatch(rule.pattern.constData(), (rule.anchored ? relative : name).constData()))
                return !rule.negated;
        }
    }
    return false;
}
