// translate.js - hands the page, a link or the selected text to an online
// translator. Needs common.js. An extension file calls
//   nimoTranslate(template, source)
// template: address of the service; {url} marks a page address, {q} a text,
//           {to} the language to translate into;
// source:   a function of common.js that returns the address or the text
//           (nimoPageUrl, nimoLinkUrl, nimoSelection).

// The user's language as set in Windows, as a two-letter code ("en" if unknown).
function nimoLanguage() {
    var lang = navigator.userLanguage || navigator.browserLanguage || navigator.language || "en";
    return lang.substring(0, 2).toLowerCase();
}

function nimoTranslate(template, source) {
    var value = source(), page = template.indexOf("{url}") >= 0;
    if (page && !/^https?:\/\//i.test(value)) {
        alert(document.title + ": only pages on the web can be translated.");
        return;
    }
    if (!page && !value) {
        value = nimoAsk("text to translate:", "");
        if (!value) {
            return;
        }
    }
    template = nimoFill(template, "to", nimoLanguage());
    if (page) {
        nimoOpen(nimoFill(template, "url", encodeURIComponent(value)));
    } else {
        nimoOpen(nimoFill(template, "q", nimoEncode(value, 1500)));
    }
}
