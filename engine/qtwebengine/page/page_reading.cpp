#include "engine/qtwebengine/page/page_reading.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {
// A world apart from the page's (0) and from the one the program's other scripts share.
constexpr quint32 readingWorld = QWebEngineScript::UserWorld + 1;

// Walks the document in order and writes blocks of runs. Hidden subtrees (display:none, the
// hidden attribute, aria-hidden) are left out; frames of the same origin are walked in place.
// Bounded, so a huge page cannot stall the window.
const char source[] = R"JS((() => {
  const maxBlocks = 20000, maxElements = 200000;
  const blocks = [];
  let runs = [], kind = { kind: 'text' }, flat = 0, elements = 0, cut = false;
  const skipped = new Set(['SCRIPT', 'STYLE', 'NOSCRIPT', 'TEMPLATE', 'HEAD', 'TITLE', 'META', 'LINK',
                           'OPTION', 'DATALIST', 'OBJECT', 'EMBED', 'AUDIO', 'VIDEO', 'CANVAS', 'MAP']);
  const inlineDisplays = new Set(['inline', 'inline-block', 'inline-flex', 'inline-grid', 'contents', 'ruby']);
  const squeeze = (t) => t.replace(/\s+/g, ' ');
  const hasText = (list) => list.some((r) => r.text.trim() !== '');
  const hidden = (el, style) => style.display === 'none' || el.hidden || el.getAttribute('aria-hidden') === 'true';

  function flush() {
    if (flat) { runs.push({ text: ' ' }); return; }
    if (hasText(runs) && blocks.length < maxBlocks) blocks.push(Object.assign({}, kind, { runs }));
    else if (hasText(runs)) cut = true;
    runs = [];
  }
  function asBlock(newKind, walkInside) {
    flush();
    const outer = kind;
    kind = newKind;
    walkInside();
    flush();
    kind = outer;
  }
  // The words of a label, without the fields inside it.
  function plain(node) {
    if (node.nodeType === Node.TEXT_NODE) return node.data;
    if (node.nodeType !== Node.ELEMENT_NODE || skipped.has(node.tagName)) return '';
    if (['SELECT', 'TEXTAREA', 'INPUT', 'BUTTON'].includes(node.tagName)) return '';
    if (node.tagName === 'IMG') return node.getAttribute('alt') || '';
    return Array.from(node.childNodes, plain).join('');
  }
  function field(el) {
    const tag = el.tagName, type = (el.getAttribute('type') || '').toLowerCase();
    if (tag === 'INPUT' && type === 'hidden') return null;
    let label = el.getAttribute('aria-label') || (el.labels ? Array.from(el.labels, plain).join(' ') : '');
    let role = 'text field', value = el.value || '';
    if (tag === 'TEXTAREA') role = 'text area';
    else if (tag === 'SELECT') {
      role = el.multiple || el.size > 1 ? 'list box' : 'combo box';
      value = Array.from(el.selectedOptions, (o) => o.text).join(', ');
    } else if (tag === 'BUTTON') {
      role = 'button'; label = label || Array.from(el.childNodes, plain).join(''); value = '';
    } else if (type === 'checkbox' || type === 'radio') {
      role = type === 'checkbox' ? 'check box' : 'radio button';
      value = el.checked ? 'checked' : 'not checked';
    } else if (['submit', 'reset', 'button', 'image'].includes(type)) {
      role = 'button';
      label = label || el.value || el.getAttribute('alt') || (type === 'reset' ? 'Reset' : 'Submit');
      value = '';
    } else if (type === 'password') { role = 'password field'; value = value ? '(filled in)' : ''; }
    else if (type === 'range') role = 'slider';
    else if (type === 'file') { role = 'file chooser'; value = Array.from(el.files || [], (f) => f.name).join(', '); }
    else if (type && type !== 'text') role = type + ' field';
    label = squeeze(label || el.getAttribute('placeholder') || el.title || el.name || '').trim();
    return { kind: 'field', label, role, value: squeeze(value).trim() };
  }
  function listItem(el) {
    let level = 0;
    for (let up = el.parentElement; up; up = up.parentElement)
      if (up.tagName === 'UL' || up.tagName === 'OL') ++level;
    const list = el.parentElement;
    let marker = '';
    if (list && list.tagName === 'OL') {
      const items = Array.from(list.children).filter((c) => c.tagName === 'LI');
      marker = String((list.start || 1) + items.indexOf(el)) + '.';
    }
    return { kind: 'item', level: Math.max(level, 1), marker };
  }
  function table(el, href) {
    if (el.caption) asBlock({ kind: 'text' }, () => walk(el.caption, href));
    for (const row of Array.from(el.rows)) {
      if (hidden(row, getComputedStyle(row))) continue;
      const cells = [];
      for (const cell of Array.from(row.cells)) {
        if (hidden(cell, getComputedStyle(cell))) continue;
        const outer = runs;
        runs = [];
        ++flat;
        walkChildren(cell, href);
        --flat;
        if (hasText(runs)) cells.push(runs);
        runs = outer;
      }
      if (cells.length && blocks.length < maxBlocks) blocks.push({ kind: 'row', cells });
    }
  }
  function walkChildren(node, href) {
    for (const child of Array.from(node.childNodes)) walk(child, href);
  }
  function walk(node, href) {
    if (cut) return;
    if (node.nodeType === Node.TEXT_NODE) {
      const style = node.parentElement ? getComputedStyle(node.parentElement) : null;
      if (style && style.visibility !== 'visible') return;
      const pre = style && style.whiteSpace.startsWith('pre');
      const lines = pre ? node.data.split('\n') : [node.data];
      lines.forEach((line, i) => {
        if (i) flush();
        runs.push(href ? { text: squeeze(line), href } : { text: squeeze(line) });
      });
      return;
    }
    if (node.nodeType !== Node.ELEMENT_NODE || skipped.has(node.tagName)) return;
    if (++elements > maxElements) { cut = true; return; }
    const el = node, tag = el.tagName, style = getComputedStyle(el);
    if (hidden(el, style)) return;
    if (tag === 'BR') return flush();
    if (tag === 'IMG' || el.getAttribute('role') === 'img') {
      const alt = squeeze(el.getAttribute('alt') || el.getAttribute('aria-label') || '').trim();
      if (alt) runs.push(href ? { text: alt, image: true, href } : { text: alt, image: true });
      return;
    }
    if (['INPUT', 'SELECT', 'TEXTAREA', 'BUTTON'].includes(tag)) {
      const f = field(el);
      if (!f) return;
      if (flat) { runs.push({ text: ' ' + [f.label, f.role, f.value].filter((t) => t).join(', ') + ' ' }); return; }
      flush();
      if (blocks.length < maxBlocks) blocks.push(f);
      return;
    }
    if (tag === 'LABEL' && el.control) { // its words are said with its field
      if (el.contains(el.control)) walk(el.control, href);
      return;
    }
    if (tag === 'IFRAME' || tag === 'FRAME') {
      let inner = null;
      try { inner = el.contentDocument; } catch (e) { inner = null; }
      if (inner && inner.body) asBlock({ kind: 'text' }, () => walk(inner.body, href));
      return;
    }
    if (tag === 'TABLE') { flush(); table(el, href); return; }
    if (tag === 'A' && el.hasAttribute('href') && !/^\s*javascript:/i.test(el.getAttribute('href'))) {
      const address = el.href, start = runs.length;
      walkChildren(el, address);
      if (!hasText(runs.slice(start))) runs.push({ text: address, href: address });
      return;
    }
    const level = /^H([1-6])$/.exec(tag) ? Number(tag[1])
                : el.getAttribute('role') === 'heading' ? Number(el.getAttribute('aria-level') || 2) : 0;
    if (level) return asBlock({ kind: 'heading', level }, () => walkChildren(el, href));
    if (tag === 'LI') return asBlock(listItem(el), () => walkChildren(el, href));
    if (inlineDisplays.has(style.display)) return walkChildren(el, href);
    asBlock(kind.kind === 'text' ? { kind: 'text' } : kind, () => walkChildren(el, href));
  }
  if (document.body) walk(document.body, null);
  flush();
  return JSON.stringify({ title: document.title, blocks, cut });
})())JS";
} // namespace

namespace PageReading {
const QString &script()
{
    static const QString text = QString::fromUtf8(source);
    return text;
}

void read(QWebEnginePage *page, QObject *context, std::function<void(const QString &json)> handler)
{
    QPointer<QObject> alive(context);
    page->runJavaScript(script(), readingWorld, [alive, handler = std::move(handler)](const QVariant &result) {
        if (alive)
            handler(result.typeId() == QMetaType::QString ? result.toString() : QString());
    });
}
} // namespace PageReading
