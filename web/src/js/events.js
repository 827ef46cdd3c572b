// Events go to the program through the document title: the page sets the title to an event
// word and the program, once it has read what it needs, puts the title back to "tsp". A
// browser raises no title change for an unchanged title, so the next word may only be set
// after that reset; until then events wait here, in order, each filling its elements only
// when it is its turn.

export const IDLE_TITLE = 'tsp';

export class TitleEvents {
  constructor(doc = document) {
    this.doc = doc;
    this.queue = [];
    this.started = false;
    const observer = new MutationObserver(() => this.pump());
    observer.observe(doc.head, { subtree: true, childList: true, characterData: true });
    // A safety net for browsers that batch title mutations oddly.
    setInterval(() => this.pump(), 250);
  }

  /** Opens the channel: the title shows the idle word and queued events start to flow. */
  start() {
    this.started = true;
    this.doc.title = IDLE_TITLE;
    this.pump();
  }

  /**
   * Queues an event.
   * @param {string} word the title word
   * @param {() => void} [fill] writes the elements the program reads for this event
   */
  emit(word, fill) {
    this.queue.push({ word, fill });
    this.pump();
  }

  get pending() {
    return this.queue.length;
  }

  pump() {
    if (!this.started || this.doc.title !== IDLE_TITLE || this.queue.length === 0) return;
    const { word, fill } = this.queue.shift();
    if (fill) fill();
    this.doc.title = word;
  }
}
