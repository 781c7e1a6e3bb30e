// The markdown-it plugin as an ES module's default export.
import grapho from "./markdown-it.js";

export default grapho;
